#pragma once

#include "Platform/Native/ThreadStackSampler.h"

#include <TalvexExport.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Talvex::App {

// Ends a process that still runs a set time after the time-out was armed: it writes
// one ERROR entry with the call stack of the thread that armed it (the GUI thread, when
// that thread answers within a second; else its own) and aborts. The crash session is
// thereby left open, so the next start reports this run as crashed. The watch runs on
// a thread of its own, so a GUI thread that hangs is caught as well. The crash report of
// the session (CrashHandler) gets the same stack, and the abort leaves it as it is.
//
// Construct on the thread to report on; Cancel or destruction disarms it.
class TALVEX_EXPORT CrashTimeout {
public:
    explicit CrashTimeout(std::chrono::milliseconds timeout);
    ~CrashTimeout();

    CrashTimeout(const CrashTimeout&) = delete;
    CrashTimeout& operator=(const CrashTimeout&) = delete;

    void Cancel();

private:
    void Watch(std::chrono::steady_clock::time_point deadline);
    [[noreturn]] void Fire() const;
    std::string Reached() const;
    void WriteReport(const std::string& reached, bool answered, const std::vector<void*>& frames) const;

    const std::chrono::milliseconds timeout;
    const Native::ThreadStackSampler armingThread;
    std::mutex lock;
    std::condition_variable wake;
    bool cancelled = false;
    std::thread watcher;
};

} // namespace Talvex::App
