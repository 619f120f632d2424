#include "Platform/Native/ScriptLauncher.h"

#include "Platform/Logging/LogLine.h"
#include "Platform/Native/OwnedFolder.h"
#include "Platform/Native/Refusal_p.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

namespace Talvex::Native {
namespace {

// Root's or ours, and writable by nobody else: what only we or root can change.
QString Untrusted(const struct stat& status)
{
    if (status.st_uid != 0 && status.st_uid != ::geteuid()) {
        return QStringLiteral("belongs to another user");
    }
    if (status.st_mode & (S_IWGRP | S_IWOTH)) {
        return QStringLiteral("is open to other users");
    }
    return QString();
}

// The shell opens the script by its name after this check: nothing above it may let
// another user swap it in between, so its folder must be as closed as the script, and
// the folders above that must not let the folder itself be replaced.
bool IsTrustedScript(const QString& path, QString* problem)
{
    if (!HasSafeParents(path, problem)) {
        return false;
    }
    struct stat status {};
    if (::stat(QFile::encodeName(QFileInfo(path).path()).constData(), &status) != 0) {
        return Refuse(problem, QStringLiteral("its folder cannot be examined: ") + SystemError());
    }
    if (const QString reason = Untrusted(status); !reason.isEmpty()) {
        return Refuse(problem, QStringLiteral("its folder ") + reason);
    }
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
        return Refuse(problem, QStringLiteral("cannot be examined: ") + SystemError());
    }
    if (!S_ISREG(status.st_mode)) {
        return Refuse(problem, QStringLiteral("is not a regular file"));
    }
    const QString reason = Untrusted(status);
    return reason.isEmpty() || Refuse(problem, reason);
}

} // namespace

void StartScript(const QString& path)
{
    if (!QDir::isAbsolutePath(path)) {
        TALVEX_LOG(ERROR) << "Refusing to start the script " << path.toUtf8().toStdString()
                          << " by a name relative to the current folder";
        return;
    }
    // A product that ships no script has nothing to start, as a failed start would.
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
        return;
    }
    QString problem;
    if (!IsTrustedScript(path, &problem)) {
        TALVEX_LOG(ERROR) << "Refusing to start the script " << path.toUtf8().toStdString() << ": "
                          << problem.toUtf8().toStdString();
        return;
    }
    // It runs in its own folder too, not in whatever folder we were started from.
    QProcess::startDetached(QStringLiteral("/bin/sh"), {path}, QFileInfo(path).path());
}

} // namespace Talvex::Native
