#include "App/Application/CrashTimeout.h"

#include "Platform/Core/CallStack.h"

#include <glog/logging.h>

#include <cstdlib>
#include <iomanip>

namespace Talvex::App {
namespace {

const std::chrono::milliseconds STACK_ANSWER_WAIT(1000);

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
    std::unique_lock<std::mutex> guard(lock);
    if (!wake.wait_until(guard, deadline, [this] { return cancelled; })) {
        Fire();
    }
}

void CrashTimeout::Fire() const
{
    const std::vector<void*> frames = armingThread.Capture(STACK_ANSWER_WAIT);
    const bool answered = !frames.empty();
    const std::string stack =
        answered ? Core::FormatCallStack(frames.data(), static_cast<int>(frames.size())) : Core::GetCallStack();
    LOG(ERROR) << "Crash time-out of " << std::fixed << std::setprecision(3) << timeout.count() / 1000.0
               << " s reached; aborting. Call stack of the "
               << (answered ? "GUI thread" : "time-out thread (the GUI thread did not answer)") << ":\n"
               << stack;
    google::FlushLogFiles(google::GLOG_INFO);
    std::abort();
}

} // namespace Talvex::App
