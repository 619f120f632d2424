#include "Platform/Native/LockFile.h"

#include "Platform/Logging/LogLine.h"
#include "Platform/Native/OwnedFolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Talvex::Native {

namespace {

QString RuntimeFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!folder.isEmpty() && !QFileInfo::exists(folder)) {
        QDir().mkpath(QFileInfo(folder).path());
    }
    return folder;
}

// The descriptor's file is a plain file of ours, and still the one at `path`: a lock
// on a file that was removed (or replaced) meanwhile excludes nobody.
bool IsOurFileAt(int descriptor, const QByteArray& path)
{
    struct stat opened {};
    struct stat current {};
    return ::fstat(descriptor, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == ::geteuid() &&
           ::lstat(path.constData(), &current) == 0 && current.st_dev == opened.st_dev &&
           current.st_ino == opened.st_ino;
}

int OpenLockFile(const QByteArray& path)
{
    return ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

QString SafeFileName(const std::string& name)
{
    QString safe = QString::fromStdString(name);
    safe.replace(QLatin1Char('/'), QLatin1Char('_'));
    return safe + QStringLiteral(".lock");
}

} // namespace

QString LockFile::PathFor(const std::string& name)
{
    return RuntimeFolder() + QLatin1Char('/') + SafeFileName(name);
}

std::unique_ptr<LockFile> LockFile::Open(const std::string& name, bool quiet)
{
    // Anybody who can change the folder can take our lock files away or plant their own.
    QString problem;
    const QString folder = RuntimeFolder();
    if (folder.isEmpty() || !MakeOwnedFolder(folder, &problem)) {
        TALVEX_LOG_IF(ERROR, !quiet) << "Lock folder " << QFile::encodeName(folder).constData() << ' '
                                     << problem.toStdString();
        return nullptr;
    }
    const QByteArray path = QFile::encodeName(PathFor(name));
    const int descriptor = OpenLockFile(path);
    if (descriptor < 0 || !IsOurFileAt(descriptor, path)) {
        TALVEX_LOG_IF(ERROR, !quiet) << "Cannot open lock file " << path.constData() << ": "
                                     << (descriptor < 0 ? std::strerror(errno) : "not a file of ours");
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        return nullptr;
    }
    return std::unique_ptr<LockFile>(new LockFile(descriptor, path));
}

LockFile::LockFile(int descriptor, QByteArray path) : descriptor(descriptor), path(std::move(path))
{
}

LockFile::~LockFile()
{
    ::close(descriptor);
}

bool LockFile::TryLockShared()
{
    return TryLock(LOCK_SH);
}

bool LockFile::TryLockExclusive()
{
    return TryLock(LOCK_EX);
}

bool LockFile::TryLock(int operation)
{
    // Whoever removes a lock file while we wait leaves us locking a file nobody else
    // will ever open; follow the path to the file that is there now.
    for (int attempt = 0; attempt < 10; ++attempt) {
        int result = 0;
        do {
            result = ::flock(descriptor, operation | LOCK_NB);
        } while (result != 0 && errno == EINTR);
        if (result != 0) {
            return false;
        }
        if (IsOurFileAt(descriptor, path)) {
            return true;
        }
        const int reopened = OpenLockFile(path);
        if (reopened < 0) {
            return false;
        }
        ::close(descriptor);
        descriptor = reopened;
    }
    return false;
}

} // namespace Talvex::Native
