#include "Platform/Core/CallStack.h"

#include "Platform/Core/Demangle.h"

#include <dlfcn.h>
#include <execinfo.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace Talvex::Core {
namespace {

const int MAX_FRAMES = 128;

std::string BaseName(const char* path)
{
    if (!path) {
        return "??";
    }
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

std::string FrameLine(int index, void* address)
{
    Dl_info info{};
    const bool known = dladdr(address, &info) != 0;
    const auto symbolStart = reinterpret_cast<std::uintptr_t>(known && info.dli_saddr ? info.dli_saddr : nullptr);
    const auto moduleStart = reinterpret_cast<std::uintptr_t>(known ? info.dli_fbase : nullptr);
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    const std::uintptr_t offset = symbolStart ? at - symbolStart : at - moduleStart;
    char tail[64];
    std::snprintf(tail, sizeof tail, "+0x%zx) [%p]", static_cast<size_t>(offset), address);
    return "#" + std::to_string(index) + " " + BaseName(known ? info.dli_fname : nullptr) + "(" +
           Demangled(known ? info.dli_sname : nullptr) + tail;
}

} // namespace

std::string GetCallStack(int skipFrames)
{
    void* frames[MAX_FRAMES];
    const int count = backtrace(frames, MAX_FRAMES);
    // One more frame for this function itself.
    const int skip = std::min(count, std::max(0, skipFrames) + 1);
    return FormatCallStack(frames + skip, count - skip);
}

std::string FormatCallStack(void* const* frames, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += FrameLine(i, frames[i]);
        text += '\n';
    }
    return text;
}

} // namespace Talvex::Core
