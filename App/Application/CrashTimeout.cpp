#include "App/Application/CrashTimeout.h"

#include "Platform/Core/CallStack.h"
#include "Platform/Logging/LogLine.h"
#include "Platform/Logging/LoggingApi_p.h"
#include "Platform/Native/CrashHandler.h"

#include <algorithm>
#include <cstdlib>
#include <iomanip>
#include <sstream>

#include <execinfo.h>
#include <pthread.h>
#include <unistd.h>

namespace Talvex::App {
namespace {

const std::chrono::milliseconds STACK_ANSWER_WAIT(1000);
const int MAX_FRAMES = 128;

} // namespace

CrashTimeout::CrashTimeout(std::chrono::milliseconds timeout)
    : timeout(timeout), watcher(&CrashTimeout::Watch, this, std::chrono::steady_clock::now() + timeout)
{
}

CrashTimeout::~CrashTimeout()
{
    Cancel();
}

void CrashTimeout::Cancel()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        cancelled = true;
    }
    wake.notify_all();
    if (watcher.joinable() && watcher.get_id() != std::this_thread::get_id()) {
        watcher.join();
    }
}

void CrashTimeout::Watch(std::chrono::steady_clock::time_point deadline)
{
    Native::CrashHandler::PrepareThread();
    std::unique_lock<std::mutex> guard(lock);
    if (!wake.wait_until(guard, deadline, [this] { return cancelled; })) {
        Fire();
    }
}

std::string CrashTimeout::Reached() const
{
    std::ostringstream text;
    text << "time-out of " << std::fixed << std::setprecision(3) << timeout.count() / 1000.0 << " s reached";
    return text.str();
}

void CrashTimeout::WriteReport(const std::string& reached, bool answered, const std::vector<void*>& frames) const
{
    if (answered) {
        Native::CrashHandler::WriteHangReport(("crash " + reached).c_str(), frames.data(),
                                              static_cast<int>(frames.size()), armingThread.ThreadId(),
                                              armingThread.ThreadName());
        return;
    }
    const std::string reason =
        "crash " + reached + " (the GUI thread did not answer; the stack is the time-out thread's)";
    char name[16] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    Native::CrashHandler::WriteHangReport(reason.c_str(), frames.data(), static_cast<int>(frames.size()),
                                          static_cast<long>(gettid()), name);
}

void CrashTimeout::Fire() const
{
    std::vector<void*> frames = armingThread.Capture(STACK_ANSWER_WAIT);
    const bool answered = !frames.empty();
    if (!answered) {
        // Taken here, not in a helper, so the stack starts at this function.
        frames.resize(MAX_FRAMES);
        frames.resize(static_cast<size_t>(std::max(0, backtrace(frames.data(), MAX_FRAMES))));
    }
    const std::string reached = Reached();
    TALVEX_LOG(ERROR) << "Crash " << reached << "; aborting. Call stack of the "
                      << (answered ? "GUI thread" : "time-out thread (the GUI thread did not answer)") << ":\n"
                      << Core::FormatCallStack(frames.data(), static_cast<int>(frames.size()));
    WriteReport(reached, answered, frames);
    if (const LoggingApi* glog = LoadedGlog()) {
        glog->flushLogFiles();
    }
    // The report above is this session's: the abort's own, with this thread's stack,
    // is not written.
    std::abort();
}

} // namespace Talvex::App
