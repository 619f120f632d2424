#include "Platform/Native/InstanceClaim.h"

#include "Platform/Native/LocalSocketAddress.h"
#include "Platform/Native/OwnedFolder.h"
#include "Platform/Native/PipeSocket.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Talvex::Native {
namespace {

constexpr int LONGEST_CODE_NAME = 32;
const char SOCKET_SUFFIX[] = ".socket";
const char LOCK_SUFFIX[] = ".lock";

bool Fail(QString* problem, const QString& reason)
{
    *problem = reason + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

// One session, one text: ":0", ":0.0" and "unix:0" are the same local display, and
// under Xwayland, where both variables are set, the Wayland socket names the session.
QString SessionKey()
{
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (!wayland.isEmpty()) {
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        const QString socket = QDir::isAbsolutePath(wayland) ? wayland : runtime + QLatin1Char('/') + wayland;
        return QStringLiteral("wayland:") + QDir::cleanPath(socket);
    }
    const QString display = qEnvironmentVariable("DISPLAY");
    const int colon = display.lastIndexOf(QLatin1Char(':'));
    if (colon < 0) {
        return QStringLiteral("none");
    }
    QString host = display.left(colon);
    if (host == QLatin1String("unix")) {
        host.clear();
    }
    const QString number = display.mid(colon + 1).section(QLatin1Char('.'), 0, 0);
    return QStringLiteral("x11:") + host + QLatin1Char(':') + number;
}

// Only characters that need no care in a file name; the hash keeps names apart anyway.
QString Readable(const std::string& codeName)
{
    QString readable;
    for (const char c : codeName) {
        if (readable.size() < LONGEST_CODE_NAME &&
            ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_')) {
            readable.append(QLatin1Char(c));
        }
    }
    return readable;
}

QString Stem(const std::string& codeName)
{
    const QByteArray identity = QByteArray::fromStdString(codeName) + '\0' + SessionKey().toUtf8();
    const QByteArray hash = QCryptographicHash::hash(identity, QCryptographicHash::Sha256).toHex().left(16);
    return QStringLiteral("TalvexInstance-") + Readable(codeName) + QLatin1Char('-') + QLatin1String(hash);
}

int OpenLock(const QByteArray& path, QString* problem)
{
    const int descriptor = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    struct stat status {};
    if (descriptor < 0) {
        Fail(problem, QStringLiteral("cannot open the lock file"));
        return -1;
    }
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid() ||
        (status.st_mode & 077) != 0) {
        *problem = QStringLiteral("the lock file is not a private file of ours");
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

bool Lock(int descriptor)
{
    int result = 0;
    do {
        result = ::flock(descriptor, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

// The holder of the lock owns the name: whatever socket of ours a killed holder left
// there goes. Anything else at the name is not for us to remove.
bool ClearName(const QByteArray& path, QString* problem)
{
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0) {
        return errno == ENOENT || Fail(problem, QStringLiteral("cannot examine the socket name"));
    }
    if (!S_ISSOCK(status.st_mode) || status.st_uid != ::geteuid()) {
        *problem = QStringLiteral("the socket name is taken by something that is not our socket");
        return false;
    }
    return ::unlink(path.constData()) == 0 || Fail(problem, QStringLiteral("cannot remove the old socket"));
}

int Listen(const QByteArray& path, QString* problem)
{
    const LocalSocketAddress address(path);
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // The socket's own mode becomes the name's: owner-only from the moment it exists.
    if (!address.IsValid() || descriptor < 0 || ::fchmod(descriptor, 0600) != 0 ||
        ::bind(descriptor, address.Get(), address.Size()) != 0 || ::listen(descriptor, SOMAXCONN) != 0) {
        Fail(problem, QStringLiteral("cannot listen on the socket"));
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        return -1;
    }
    return descriptor;
}

} // namespace

QString InstanceClaim::SocketPath(const std::string& codeName, QString* problem)
{
    const QString folder = PipeSocket::Folder();
    QString reason;
    if (!MakeOwnedFolder(folder, &reason, true)) {
        *problem = QStringLiteral("the runtime folder ") + folder + QLatin1Char(' ') + reason;
        return QString();
    }
    return folder + QLatin1Char('/') + Stem(codeName) + QLatin1String(SOCKET_SUFFIX);
}

QString InstanceClaim::LockPathFor(const QString& socketPath)
{
    return socketPath.left(socketPath.size() - int(sizeof(SOCKET_SUFFIX) - 1)) + QLatin1String(LOCK_SUFFIX);
}

std::unique_ptr<InstanceClaim> InstanceClaim::TryTake(const QString& socketPath, Outcome* outcome, QString* problem)
{
    *outcome = Outcome::Impossible;
    const int lock = OpenLock(QFile::encodeName(LockPathFor(socketPath)), problem);
    if (lock < 0) {
        return nullptr;
    }
    if (!Lock(lock)) {
        ::close(lock);
        *outcome = Outcome::HeldElsewhere;
        return nullptr;
    }
    const QByteArray path = QFile::encodeName(socketPath);
    const int listener = ClearName(path, problem) ? Listen(path, problem) : -1;
    if (listener < 0) {
        ::close(lock);
        return nullptr;
    }
    *outcome = Outcome::Taken;
    return std::unique_ptr<InstanceClaim>(new InstanceClaim(lock, listener, socketPath));
}

InstanceClaim::InstanceClaim(int lock, int listener, QString path)
    : lock(lock), listener(listener), path(std::move(path))
{
}

InstanceClaim::~InstanceClaim()
{
    // The name goes first, so nobody connects to a listener about to close; the lock
    // last: while we hold it nobody else binds the name, so it is still our socket.
    const QByteArray name = QFile::encodeName(path);
    struct stat named {};
    if (::lstat(name.constData(), &named) == 0 && S_ISSOCK(named.st_mode) && named.st_uid == ::geteuid()) {
        ::unlink(name.constData());
    }
    ::close(listener);
    ::close(lock);
}

} // namespace Talvex::Native
