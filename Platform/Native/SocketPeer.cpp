#include "Platform/Native/SocketPeer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Talvex::Native {

bool PeerUser(int descriptor, uid_t* user)
{
    ucred credentials{};
    socklen_t size = sizeof(credentials);
    if (::getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) {
        return false;
    }
    *user = credentials.uid;
    return true;
}

bool PeerIsOurUser(int descriptor)
{
    uid_t user = 0;
    return PeerUser(descriptor, &user) && user == ::geteuid();
}

int PollFor(int descriptor, short events, int milliseconds)
{
    using Clock = std::chrono::steady_clock;
    pollfd entry{descriptor, events, 0};
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int result = ::poll(&entry, 1, static_cast<int>(std::max<long long>(0, left.count())));
        if (result >= 0 || errno != EINTR) {
            return result > 0 ? entry.revents : result;
        }
    }
}

} // namespace Talvex::Native
