#pragma once

#include <TalvexExport.h>

namespace Talvex::Core {

// Pauses the calling thread for `milliseconds` (at least; the system may oversleep).
// 0 only yields. Does not process Qt events.
TALVEX_EXPORT void SleepFor(unsigned int milliseconds);

} // namespace Talvex::Core
