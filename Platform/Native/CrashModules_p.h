#pragma once

#include <cstddef>
#include <cstdint>

namespace Talvex::Native {

// The modules (executable and shared objects) mapped into this process, as noted by
// the last Refresh: their address ranges, load bias, path and build id. Lookup reads
// fixed storage only, so a signal handler may use it; Refresh allocates nothing either
// but takes the dynamic loader's lock, so it runs outside signal handlers only.
struct CrashModule {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    // Address in memory minus address in the file: what a frame's offset is taken from.
    std::uintptr_t bias = 0;
    char path[512] = {};
    // Lowercase hex, empty when the module has none.
    char buildId[2 * 64 + 1] = {};
};

class CrashModules {
public:
    // Not thread-safe against itself: one refreshing thread at a time.
    static void Refresh();
    // The module containing `address`, or null. A module opened since the last Refresh
    // is looked up in the loader itself; its entry is valid until the next such lookup,
    // so one thread at a time (the report's writer) may ask.
    static const CrashModule* Find(std::uintptr_t address);
};

} // namespace Talvex::Native
