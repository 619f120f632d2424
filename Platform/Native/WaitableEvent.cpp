#include "Platform/Native/WaitableEvent.h"

#include "Platform/Native/ProcessHandle.h"

#include <cerrno>
#include <cstdint>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace Talvex::Native {

long long CreateWaitableEvent()
{
    return HandleFromDescriptor(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
}

void SetWaitableEvent(long long event)
{
    // The counter is never read, so the event stays readable: manual reset.
    const std::uint64_t one = 1;
    if (event > 0) {
        [[maybe_unused]] const ssize_t written = ::write(static_cast<int>(event), &one, sizeof(one));
    }
}

bool WaitForAny(long long first, long long second)
{
    if (first <= 0 || second <= 0) {
        return false;
    }
    pollfd entries[2] = {{static_cast<int>(first), POLLIN, 0}, {static_cast<int>(second), POLLIN, 0}};
    int result = 0;
    do {
        result = ::poll(entries, 2, -1);
    } while (result < 0 && errno == EINTR);
    return result > 0;
}

} // namespace Talvex::Native
