#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Talvex::Native {

// The modules (executable and shared objects) mapped into this process: their address
// ranges, load bias, path and build id. Find reads fixed storage only and takes no lock,
// so a signal handler may use it.
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
    // Notes the modules now mapped where the loader cannot be asked at the crash (glibc
    // before 2.35); there a library opened or closed later is not seen. Takes the
    // loader's lock, so never in a signal handler; one refreshing thread at a time.
    // Nothing to do where the loader can be asked.
    static void Refresh();
    // The module containing `address` at this moment, or null: the loader itself is
    // asked, so a library closed since is never named. The entry is valid until the next
    // call, so one thread at a time (the report's writer) may ask.
    static const CrashModule* Find(std::uintptr_t address);
    // The build id of the module containing `address`, as Find gives it; empty when it
    // has none. Takes the loader's lock, so never in a signal handler.
    static std::string BuildIdAt(std::uintptr_t address);
};

} // namespace Talvex::Native
