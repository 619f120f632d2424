#include "Platform/Core/Exception.h"

#include <utility>

namespace Talvex {

Exception::Exception(std::string message) : message(std::move(message)) {}

Exception::~Exception() = default;

const char* Exception::what() const noexcept
{
    return message.c_str();
}

} // namespace Talvex
