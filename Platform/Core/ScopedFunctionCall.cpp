#include "Platform/Core/ScopedFunctionCall.h"

#include <utility>

namespace Talvex::Core {

ScopedFunctionCall::ScopedFunctionCall(std::function<void()> call) : call(std::move(call))
{
}

ScopedFunctionCall::~ScopedFunctionCall()
{
    if (!call) {
        return;
    }
    try {
        call();
    } catch (...) {
    }
}

void ScopedFunctionCall::Dismiss()
{
    call = nullptr;
}

} // namespace Talvex::Core
