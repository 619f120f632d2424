#include "Platform/Native/LockFile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <glog/logging.h>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace Talvex::Native {

namespace {

QString RuntimeFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!folder.isEmpty() && !QFileInfo::exists(folder) && QDir().mkpath(folder)) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return folder;
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
    const QByteArray path = QFile::encodeName(PathFor(name));
    const int descriptor = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        LOG_IF(ERROR, !quiet) << "Cannot open lock file " << path.constData() << ": " << std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<LockFile>(new LockFile(descriptor));
}

LockFile::LockFile(int descriptor) : descriptor(descriptor)
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
    int result = 0;
    do {
        result = ::flock(descriptor, operation | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

} // namespace Talvex::Native
