#pragma once

#include <TalvexExport.h>

#include <functional>

namespace Talvex::Core {

// Calls a function once when the scope that holds it ends, however it ends, unless it
// was dismissed first. The call must not throw: it runs from a destructor, so an
// exception it raises is swallowed.
class TALVEX_EXPORT ScopedFunctionCall {
public:
    explicit ScopedFunctionCall(std::function<void()> call);
    ~ScopedFunctionCall();

    ScopedFunctionCall(const ScopedFunctionCall&) = delete;
    ScopedFunctionCall& operator=(const ScopedFunctionCall&) = delete;

    void Dismiss();

private:
    std::function<void()> call;
};

} // namespace Talvex::Core
