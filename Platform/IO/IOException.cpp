#include "Platform/IO/IOException.h"

#include <utility>

namespace Talvex::Core {

IOException::IOException(std::string message) : Exception(std::move(message))
{
}

IOException::~IOException() = default;

} // namespace Talvex::Core
