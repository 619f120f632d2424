#pragma once

#include <TalvexExport.h>

namespace Talvex::Native {

// A manual-reset event for waking a waiting thread: an eventfd carried as a 64-bit
// handle like the process handles, closed with CloseHandle. Once set it stays set.
TALVEX_EXPORT long long CreateWaitableEvent();
TALVEX_EXPORT void SetWaitableEvent(long long event);

// Blocks, with no time-out, until one of the two handles is signalled: a set event or
// an ended process. False at once when either is the null handle.
TALVEX_EXPORT bool WaitForAny(long long first, long long second);

} // namespace Talvex::Native
