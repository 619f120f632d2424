#pragma once

#include <TalvexExport.h>

#include <cstddef>

namespace Talvex::App {

// Keeps the last lines that glog wrote, in memory, so that a crash report can say what
// the program was doing. The lines live in fixed storage: reading them allocates
// nothing and takes no lock, so a signal handler may do it. The sink is registered with
// glog once per process, on the first Enable, and stays for the life of the process.
// An entry of several lines stays one entry: each line after its first starts "  | ",
// so that text logged from anywhere cannot pass for a line of a crash report.
class TALVEX_EXPORT RecentLogLines {
public:
    static constexpr int LINES = 20;
    static constexpr size_t LINE_SIZE = 512;

    // Registers the sink (once; later calls do nothing). Any thread.
    static void Enable();

    // Copies the kept lines, oldest first, each ending with '\n', into `out` (at most
    // `size` bytes, not terminated) and returns the number of bytes written. A line that
    // is being replaced at that moment is left out rather than shown half-written.
    // Async-signal-safe.
    static size_t CopyTo(char* out, size_t size);
};

} // namespace Talvex::App
