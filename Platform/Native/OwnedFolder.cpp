#include "Platform/Native/OwnedFolder.h"

#include "Platform/Logging/LogLine.h"
#include "Platform/Native/Refusal_p.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Talvex::Native {
namespace {

// lstat, so that a link is judged itself and never what it points at.
bool IsOwned(const QString& path, QString* problem, mode_t type, mode_t forbidden)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
        return Refuse(problem, QStringLiteral("cannot be examined: ") + SystemError());
    }
    if (S_ISLNK(status.st_mode)) {
        return Refuse(problem, QStringLiteral("is a symbolic link"));
    }
    if ((status.st_mode & S_IFMT) != type) {
        return Refuse(problem,
                      type == S_IFDIR ? QStringLiteral("is not a folder") : QStringLiteral("is not a regular file"));
    }
    if (status.st_uid != ::geteuid()) {
        return Refuse(problem, QStringLiteral("belongs to another user"));
    }
    if (status.st_mode & forbidden) {
        return Refuse(problem, QStringLiteral("is open to other users"));
    }
    return true;
}

// How many links the walk above a folder resolves before it gives up, as the system does.
const int MAX_PARENT_LINKS = 40;

bool IsTrustedOwner(const struct stat& status)
{
    return status.st_uid == ::geteuid() || status.st_uid == 0;
}

// Another user may rename or remove what a folder holds when that user may write it,
// unless its sticky bit leaves each entry to its owner.
bool IsOpenToOthers(const struct stat& status)
{
    return (status.st_mode & (S_IWGRP | S_IWOTH)) && !(status.st_mode & S_ISVTX);
}

std::string Printable(const QString& path)
{
    return QDir::toNativeSeparators(path).toUtf8().toStdString();
}

QString Below(const QString& base, const QStringList& parts)
{
    if (parts.isEmpty()) {
        return base;
    }
    return (base.endsWith(QLatin1Char('/')) ? base : base + QLatin1Char('/')) + parts.join(QLatin1Char('/'));
}

QString MakeLevels(const QString& base, const QStringList& parts, QString* problem,
                   const std::function<bool(const QString&, QString*)>& make)
{
    QString path = base;
    for (const QString& part : parts) {
        path = Below(path, {part});
        if (!make(path, problem)) {
            return path;
        }
    }
    return QString();
}

// False, with an ERROR line naming the first folder that is not ours, calling it the
// `purpose` folder.
bool MakeNamedFolders(const QString& base, const QStringList& parts, const char* purpose, bool ownerOnly)
{
    QString problem;
    const QString failed = MakeOwnedFolders(base, parts, &problem, ownerOnly);
    if (failed.isEmpty()) {
        return true;
    }
    TALVEX_LOG(ERROR) << purpose << " folder " << Printable(failed) << ' ' << problem.toUtf8().toStdString();
    return false;
}

// Takes `permissions` off `path` when it is ours and `eligible`. O_NOFOLLOW refuses a
// link, O_NONBLOCK keeps a FIFO from holding us; the type and owner are judged on what
// was opened, so nothing can be swapped in between.
void Withdraw(const QString& path, mode_t permissions, bool (*eligible)(const struct stat&))
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) == 0 && status.st_uid == ::geteuid() && (status.st_mode & permissions) &&
        eligible(status)) {
        ::fchmod(descriptor, status.st_mode & 07777 & ~permissions);
    }
    ::close(descriptor);
}

} // namespace

bool MakeOwnedFolder(const QString& path, QString* problem, bool ownerOnly)
{
    // mkdir never follows a link at the last component and fails when anything is
    // there already, so a folder it made is ours from the first moment.
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST) {
        return Refuse(problem, QStringLiteral("cannot be created: ") + SystemError());
    }
    return IsOwnedFolder(path, problem, ownerOnly);
}

QString MakeOwnedFolders(const QString& base, const QStringList& parts, QString* problem, bool ownerOnly)
{
    return MakeLevels(base, parts, problem,
                      [ownerOnly](const QString& path, QString* why) { return MakeOwnedFolder(path, why, ownerOnly); });
}

QString ClaimOwnedFolders(const QString& base, const QStringList& parts, QString* problem)
{
    return MakeLevels(base, parts, problem,
                      [](const QString& path, QString* why) { return ClaimOwnedFolder(path, why); });
}

QString MakePrivateFolders(const QString& base, const QStringList& parts, QString* problem)
{
    if (!IsInOwnSpace(base, problem)) {
        return base;
    }
    QDir().mkpath(base);
    return ClaimOwnedFolders(base, parts, problem);
}

bool IsOwnedFolder(const QString& path, QString* problem, bool ownerOnly)
{
    return IsOwned(path, problem, S_IFDIR, ownerOnly ? (S_IRWXG | S_IRWXO) : (S_IWGRP | S_IWOTH));
}

bool IsOwnedFile(const QString& path, QString* problem)
{
    return IsOwned(path, problem, S_IFREG, S_IWGRP | S_IWOTH);
}

bool HasSafeParents(const QString& path, QString* problem)
{
    // Walked from the root down, so that a resolved link starts over on its target.
    QStringList rest = QDir::cleanPath(QFileInfo(path).absolutePath()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString folder = QStringLiteral("/");
    int links = 0;
    for (;;) {
        struct stat status {};
        if (::lstat(QFile::encodeName(folder).constData(), &status) != 0) {
            return errno == ENOENT || Refuse(problem, folder + QStringLiteral(" cannot be examined: ") + SystemError());
        }
        if (!IsTrustedOwner(status)) {
            return Refuse(problem, folder + QStringLiteral(" belongs to another user"));
        }
        if (S_ISLNK(status.st_mode)) {
            const QString target = QFileInfo(folder).canonicalFilePath();
            if (target.isEmpty() || ++links > MAX_PARENT_LINKS) {
                return Refuse(problem, folder + QStringLiteral(" is a symbolic link that cannot be resolved"));
            }
            rest = target.split(QLatin1Char('/'), Qt::SkipEmptyParts) + rest;
            folder = QStringLiteral("/");
            continue;
        }
        if (!S_ISDIR(status.st_mode)) {
            return Refuse(problem, folder + QStringLiteral(" is not a folder"));
        }
        if (IsOpenToOthers(status)) {
            return Refuse(problem, folder + QStringLiteral(" is open to other users"));
        }
        if (rest.isEmpty()) {
            return true;
        }
        folder = (folder == QLatin1String("/") ? QString() : folder) + QLatin1Char('/') + rest.takeFirst();
    }
}

bool ClaimOwnedFolder(const QString& path, QString* problem, bool ownerOnly)
{
    if (ownerOnly) {
        Withdraw(path, S_IRWXG | S_IRWXO, [](const struct stat& status) { return S_ISDIR(status.st_mode); });
    } else {
        Withdraw(path, S_IWGRP,
                 [](const struct stat& status) { return S_ISDIR(status.st_mode) && !(status.st_mode & S_IWOTH); });
    }
    return MakeOwnedFolder(path, problem, ownerOnly);
}

bool ClaimOwnedFile(const QString& path, QString* problem)
{
    Withdraw(path, S_IWGRP,
             [](const struct stat& status) { return S_ISREG(status.st_mode) && !(status.st_mode & S_IWOTH); });
    return IsOwnedFile(path, problem);
}

bool IsInOwnSpace(const QString& path, QString* problem)
{
    // Followed links are fine here: only where our folders would land matters.
    QString existing = QFileInfo(path).absoluteFilePath();
    struct stat status {};
    while (::stat(QFile::encodeName(existing).constData(), &status) != 0) {
        const int error = errno;
        const QString parent = QFileInfo(existing).absolutePath();
        if (error != ENOENT || parent == existing) {
            errno = error;
            return Refuse(problem, QStringLiteral("cannot be examined: ") + SystemError());
        }
        existing = parent;
    }
    if (status.st_uid != ::geteuid()) {
        return Refuse(problem, existing + QStringLiteral(" belongs to another user"));
    }
    return true;
}

QString LocateOwnedFolder(const QString& sharedBase, const QString& privateBase, const QStringList& parts,
                          const char* purpose, bool ownerOnly)
{
    // A shared folder that is not there reads as empty, which would put ours at the
    // root of the file system.
    if (!sharedBase.isEmpty() && QFileInfo(sharedBase).isDir() &&
        MakeNamedFolders(sharedBase, parts, purpose, ownerOnly)) {
        return Below(sharedBase, parts);
    }
    QDir().mkpath(privateBase);
    MakeNamedFolders(privateBase, parts, purpose, ownerOnly);
    const QString fallback = Below(privateBase, parts);
    TALVEX_LOG(ERROR) << "Using the private " << QByteArray(purpose).toLower().toStdString() << " folder "
                      << Printable(fallback) << " instead";
    return fallback;
}

} // namespace Talvex::Native
