#include "Platform/Native/OwnedFile.h"

#include "Platform/Native/Refusal_p.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Talvex::Native {
namespace {

QString WhyNotOurs(const struct stat& status)
{
    if (!S_ISREG(status.st_mode)) {
        return QStringLiteral("is not a regular file");
    }
    if (status.st_uid != ::geteuid()) {
        return QStringLiteral("belongs to another user");
    }
    if (status.st_nlink > 1) {
        return QStringLiteral("has other names (hard links)");
    }
    return QString();
}

} // namespace

bool OpenOwnedFileForWriting(QFile& file, QString* problem)
{
    // Without O_TRUNC: nothing may be emptied before fstat has shown what was opened.
    const int descriptor = ::open(QFile::encodeName(file.fileName()).constData(),
                                  O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        if (errno == ELOOP) {
            return Refuse(problem, QStringLiteral("is a symbolic link"));
        }
        // What a FIFO without a reader (or a device without its hardware) answers a
        // non-blocking open for writing.
        if (errno == ENXIO) {
            return Refuse(problem, QStringLiteral("is not a regular file"));
        }
        return Refuse(problem, QStringLiteral("cannot be opened: ") + SystemError());
    }
    struct stat status {};
    QString reason =
        ::fstat(descriptor, &status) == 0 ? WhyNotOurs(status) : QStringLiteral("cannot be examined: ") + SystemError();
    if (reason.isEmpty() && (::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) != 0 ||
                             ::ftruncate(descriptor, 0) != 0)) {
        reason = QStringLiteral("cannot be emptied: ") + SystemError();
    }
    if (reason.isEmpty() && !file.open(descriptor, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        reason = QStringLiteral("cannot be opened: ") + file.errorString();
    }
    if (!reason.isEmpty()) {
        ::close(descriptor);
        return Refuse(problem, reason);
    }
    return true;
}

} // namespace Talvex::Native
