#pragma once

#include <TalvexExport.h>

#include <chrono>
#include <vector>

#include <pthread.h>

namespace Talvex::Native {

// Captures the call stack of one thread of this process from another thread, for
// diagnostics at the moment something is declared hung. Construct it on the thread to
// watch. Capture interrupts that thread with a signal whose handler records its frames;
// a thread that blocks the signal, or is stopped, does not answer, and Capture then
// gives an empty list after `wait`. One capture runs at a time in the process.
class TALVEX_EXPORT ThreadStackSampler {
public:
    ThreadStackSampler();

    // Call from a thread other than the watched one, while the watched thread exists.
    std::vector<void*> Capture(std::chrono::milliseconds wait) const;

    // The watched thread's kernel id and name, as they were at construction.
    long ThreadId() const;
    const char* ThreadName() const;

private:
    pthread_t watched;
    long watchedId;
    char watchedName[16] = {};
};

} // namespace Talvex::Native
