#include "Platform/Native/PipeSocket.h"

#include "Platform/IO/IOException.h"
#include "Platform/Logging/LogLine.h"
#include "Platform/Native/Descriptor.h"
#include "Platform/Native/OwnedFolder.h"
#include "Platform/Native/SocketPeer.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace Talvex::Native {

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error = errno)
{
    throw Core::IOException(what + " " + path + (error != 0 ? std::string(": ") + std::strerror(error) : ""));
}

// Something in our way that nobody of ours should have put there: worth a log line,
// since the callers of the pipes stay silent about their failures.
[[noreturn]] void Refuse(const std::string& what, const std::string& path)
{
    TALVEX_LOG(ERROR) << what << " " << path;
    Fail(what, path, 0);
}

bool IsPrivate(const struct stat& status)
{
    return status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

std::string ParentOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

void CheckFolder(const std::string& folder)
{
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0) {
        Fail("Cannot inspect the pipe folder", folder);
    }
    QString problem;
    if (!IsOwnedFolder(QString::fromStdString(folder), &problem, true)) {
        Refuse("Refusing a pipe folder that is not a private folder of ours (" + problem.toStdString() + "):", folder);
    }
}

void MakeFolder(const std::string& folder)
{
    // Created owner-only from the start; mkdir never widens what it is given.
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        Fail("Cannot create the pipe folder", folder);
    }
    CheckFolder(folder);
}

sockaddr_un AddressOf(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) {
        Fail("Pipe name too long:", path, 0);
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

int NewSocket(const std::string& path)
{
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        Fail("Cannot make a socket for", path);
    }
    return descriptor;
}

int MillisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, left));
}

// Nothing when no byte is there yet; 0 at the end.
std::optional<std::size_t> TryReceive(int descriptor, void* buffer, std::size_t size, const std::string& path)
{
    for (;;) {
        const ssize_t count = ::recv(descriptor, buffer, size, MSG_DONTWAIT);
        if (count >= 0) {
            return static_cast<std::size_t>(count);
        }
        if (errno == ECONNRESET) {
            return 0;
        }
        if (errno == EAGAIN) {
            return std::nullopt;
        }
        if (errno != EINTR) {
            Fail("Cannot read from the pipe", path);
        }
    }
}

// Without a runtime folder from the session, the names go to a folder with a
// predictable name in the shared temporary folder, where another user may have put a
// folder or link of theirs first; then to a private folder of ours instead.
QString RuntimeFolderOfOurOwn()
{
    const QString name = QStringLiteral("runtime-") + QString::number(::geteuid());
    const QString privateBase = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    // Once a start has fallen back, every later one keeps to the private folder:
    // deciding afresh could send a slave to other names than its master's, should the
    // other user remove their folder in between.
    const QString fallback = privateBase + QLatin1Char('/') + name;
    if (IsOwnedFolder(fallback, nullptr, true)) {
        return fallback;
    }
    return LocateOwnedFolder(QDir::tempPath(), privateBase, {name}, "Pipe", true);
}

// Says once per process, and again whenever it changes, where the names live when the
// session gave no runtime folder: nobody would otherwise know where to look.
void TellFolder(const QString& folder)
{
    static std::mutex lock;
    static QString told;
    const std::lock_guard<std::mutex> guard(lock);
    if (folder != told) {
        told = folder;
        TALVEX_LOG(INFO) << "Pipe names live in " << folder.toUtf8().toStdString();
    }
}

} // namespace

QString PipeSocket::Folder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        return runtime;
    }
    const QString folder = RuntimeFolderOfOurOwn();
    TellFolder(folder);
    return folder;
}

std::unique_ptr<PipeSocket> PipeSocket::Listen(const std::string& path)
{
    MakeFolder(ParentOf(path));
    const sockaddr_un address = AddressOf(path);
    Descriptor listener(NewSocket(path));
    // The mode of a socket's file comes from the socket itself, so this makes the
    // name owner-only at the moment bind creates it.
    if (::fchmod(listener.Get(), 0600) != 0) {
        Fail("Cannot restrict the socket for", path);
    }
    if (::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        Fail("Cannot create the pipe", path);
    }
    std::unique_ptr<PipeSocket> pipe(new PipeSocket(-1, listener.Release(), path));
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISSOCK(status.st_mode) || !IsPrivate(status)) {
        Refuse("Refusing a new pipe that is not private:", path);
    }
    pipe->device = status.st_dev;
    pipe->inode = status.st_ino;
    if (::listen(pipe->listener, 4) != 0) {
        Fail("Cannot listen on the pipe", path);
    }
    return pipe;
}

std::unique_ptr<PipeSocket> PipeSocket::Connect(const std::string& path)
{
    CheckFolder(ParentOf(path));
    const sockaddr_un address = AddressOf(path);
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        Fail("Cannot open the pipe", path);
    }
    if (!S_ISSOCK(status.st_mode) || !IsPrivate(status)) {
        Refuse("Refusing a pipe name that is not our private socket:", path);
    }
    Descriptor connection(NewSocket(path));
    int result = 0;
    do {
        result = ::connect(connection.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        Fail("Cannot connect to the pipe", path);
    }
    if (!PeerIsOurUser(connection.Get())) {
        Refuse("Refusing a pipe that belongs to another user:", path);
    }
    return std::unique_ptr<PipeSocket>(new PipeSocket(connection.Release(), -1, path));
}

PipeSocket::PipeSocket(int descriptor, int listener, std::string path)
    : descriptor(descriptor), listener(listener), path(std::move(path))
{
}

PipeSocket::~PipeSocket()
{
    if (listener >= 0) {
        RemoveName();
        ::close(listener);
    }
    if (descriptor >= 0) {
        ::close(descriptor);
    }
}

void PipeSocket::RemoveName()
{
    // Whatever stands at the name now is removed only if it is still our socket.
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode) && status.st_dev == device &&
        status.st_ino == inode) {
        ::unlink(path.c_str());
    }
}

bool PipeSocket::Accept(int milliseconds)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (!IsConnected()) {
        const int ready = PollFor(listener, POLLIN, MillisecondsUntil(deadline));
        if (ready < 0) {
            Fail("Cannot wait for the peer of", path);
        }
        if (ready == 0) {
            return false;
        }
        Descriptor peer(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
        if (peer.Get() < 0) {
            if (errno == ECONNABORTED || errno == EINTR || errno == EAGAIN) {
                continue;
            }
            Fail("Cannot accept the peer of", path);
        }
        if (!PeerIsOurUser(peer.Get())) {
            TALVEX_LOG(ERROR) << "Refused a connection from another user to the pipe " << path;
            continue;
        }
        descriptor = peer.Release();
    }
    RemoveName();
    ::close(std::exchange(listener, -1));
    return true;
}

std::size_t PipeSocket::Available()
{
    if (!IsConnected() && !Accept(0)) {
        return 0;
    }
    int count = 0;
    return ::ioctl(descriptor, FIONREAD, &count) == 0 && count > 0 ? static_cast<std::size_t>(count) : 0;
}

bool PipeSocket::WaitForInput(int milliseconds)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    if (!IsConnected() && !Accept(milliseconds)) {
        return false;
    }
    const int ready = PollFor(descriptor, POLLIN, MillisecondsUntil(deadline));
    if (ready < 0) {
        Fail("Cannot wait for input on", path);
    }
    return ready != 0;
}

std::size_t PipeSocket::Receive(void* buffer, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    // Try first and wait only when nothing is there: a reply usually is.
    if (IsConnected()) {
        if (const auto count = TryReceive(descriptor, buffer, size, path)) {
            return *count;
        }
    }
    return WaitForInput(timeoutMs) ? TryReceive(descriptor, buffer, size, path).value_or(0) : 0;
}

void PipeSocket::Send(const void* data, std::size_t size)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (!IsConnected() && !Accept(timeoutMs)) {
        Fail("Nobody connected in time to the pipe", path, 0);
    }
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t count = ::send(descriptor, next, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (count >= 0) {
            next += count;
            size -= static_cast<std::size_t>(count);
        } else if (errno == EAGAIN) {
            if (PollFor(descriptor, POLLOUT, MillisecondsUntil(deadline)) <= 0) {
                Fail("The reader of the pipe did not take the data in time:", path, 0);
            }
        } else if (errno != EINTR) {
            Fail("Cannot write to the pipe", path);
        }
    }
}

} // namespace Talvex::Native
