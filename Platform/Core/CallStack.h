#pragma once

#include <TalvexExport.h>

#include <string>

namespace Talvex::Core {

// The calling thread's call stack as text, innermost frame first, one frame a line:
// "#<n> <module>(<function>+0x<offset>) [<address>]". Functions whose names the
// module does not export show as "??"; `skipFrames` leaves out that many frames
// above the caller.
TALVEX_EXPORT std::string GetCallStack(int skipFrames = 0);

// Formats frames captured elsewhere (another thread's, a signal handler's) the same way.
TALVEX_EXPORT std::string FormatCallStack(void* const* frames, int count);

} // namespace Talvex::Core
