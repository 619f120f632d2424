#include "Platform/Native/ThreadStackSampler.h"

#include "Platform/Core/ScopedFunctionCall.h"

#include <execinfo.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <mutex>

namespace Talvex::Native {
namespace {

const int MAX_FRAMES = 128;

// Written by the signal handler, read once its semaphore post arrives.
void* capturedFrames[MAX_FRAMES];
std::atomic<int> capturedCount{0};
sem_t captured;

int CaptureSignal()
{
    return SIGRTMAX - 2;
}

extern "C" void RecordFrames(int)
{
    const int savedErrno = errno;
    capturedCount.store(backtrace(capturedFrames, MAX_FRAMES));
    sem_post(&captured);
    errno = savedErrno;
}

timespec Deadline(std::chrono::milliseconds wait)
{
    timespec at{};
    clock_gettime(CLOCK_REALTIME, &at);
    const auto total = std::chrono::nanoseconds(at.tv_nsec) + wait;
    at.tv_sec += std::chrono::duration_cast<std::chrono::seconds>(total).count();
    at.tv_nsec = (total % std::chrono::seconds(1)).count();
    return at;
}

bool WaitForCapture(std::chrono::milliseconds wait)
{
    const timespec deadline = Deadline(wait);
    int result = 0;
    do {
        result = sem_timedwait(&captured, &deadline);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

} // namespace

ThreadStackSampler::ThreadStackSampler() : watched(pthread_self()), watchedId(syscall(SYS_gettid))
{
    pthread_getname_np(watched, watchedName, sizeof watchedName);
    // The first backtrace loads the unwinder, which allocates; a signal handler must not.
    void* warmUp[1];
    backtrace(warmUp, 1);
    static std::once_flag once;
    std::call_once(once, [] { sem_init(&captured, 0, 0); });
}

std::vector<void*> ThreadStackSampler::Capture(std::chrono::milliseconds wait) const
{
    static std::mutex oneAtATime;
    std::lock_guard<std::mutex> guard(oneAtATime);
    while (sem_trywait(&captured) == 0) {
    }
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = RecordFrames;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    if (sigaction(CaptureSignal(), &action, &previous) != 0) {
        return {};
    }
    Core::ScopedFunctionCall restore([&previous] { sigaction(CaptureSignal(), &previous, nullptr); });
    if (pthread_kill(watched, CaptureSignal()) != 0) {
        return {};
    }
    if (!WaitForCapture(wait)) {
        // The signal may still be pending; a late answer must find the handler, not the
        // default action, which ends the process.
        restore.Dismiss();
        return {};
    }
    return std::vector<void*>(capturedFrames, capturedFrames + capturedCount.load());
}

long ThreadStackSampler::ThreadId() const
{
    return watchedId;
}

const char* ThreadStackSampler::ThreadName() const
{
    return watchedName;
}

} // namespace Talvex::Native
