#pragma once

// What every start-up program does once its application object stands: one turn of
// the event loop, a line on stdout for the wall-time reader, and callgrind's counts so
// far under `tag`, which splits the start-up from the exit.
#include <QCoreApplication>

#include <valgrind/callgrind.h>

#include <cstdio>
#include <sys/resource.h>

namespace Talvex::Bench {

inline int RunOneTurn(const char* tag)
{
    QCoreApplication::processEvents();
    CALLGRIND_DUMP_STATS_AT(tag);
    std::printf("first turn\n");
    std::fflush(stdout);
    return 0;
}

// The whole process's resident high-water mark, printed once everything is torn down
// so that the reader sees what the start needed at its peak.
inline void PrintPeakMemory()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak-kB %ld\n", usage.ru_maxrss);
    std::fflush(stdout);
}

} // namespace Talvex::Bench
