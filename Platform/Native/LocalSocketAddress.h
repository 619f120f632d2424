#pragma once

#include <QByteArray>

#include <sys/socket.h>
#include <sys/un.h>

namespace Talvex::Native {

// The address of a socket file for bind or connect, however deep its folder lies: a
// socket address holds at most 107 bytes of path, so a longer path is reached through
// its folder, opened here and named as /proc/self/fd/<descriptor>/<file name>, which
// the kernel resolves while it binds or connects. The folder stays open as long as
// this object.
class LocalSocketAddress {
public:
    explicit LocalSocketAddress(const QByteArray& path);
    ~LocalSocketAddress();
    LocalSocketAddress(const LocalSocketAddress&) = delete;
    LocalSocketAddress& operator=(const LocalSocketAddress&) = delete;

    // False when the path cannot be named in either way (its folder does not open).
    bool IsValid() const { return valid; }
    const sockaddr* Get() const { return reinterpret_cast<const sockaddr*>(&address); }
    socklen_t Size() const { return sizeof(address); }

private:
    bool Set(const QByteArray& name);

    sockaddr_un address{};
    int folder = -1;
    bool valid = false;
};

} // namespace Talvex::Native
