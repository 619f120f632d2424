#include "Platform/Native/FileWriteGuard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace Talvex::Native {
namespace {

// Time stamps compared at millisecond resolution, as Qt compares them.
long long Milliseconds(const timespec& time)
{
    return static_cast<long long>(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
}

} // namespace

FileWriteGuard::FileWriteGuard(const QString& file) : file(file)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    const QByteArray lockName = QFile::encodeName(file + QStringLiteral(".guard"));
    descriptor = ::open(lockName.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        return;
    }
    while (::flock(descriptor, LOCK_EX) != 0 && errno == EINTR) {
    }
    // Waiting here rather than on release also covers a holder killed right after its
    // write: whatever we write carries a later time stamp than anything seen before.
    WaitForNewTimeStamp();
    // A reader may have recorded a time stamp newer than the text it parsed (it can
    // stat the file after reading it while a writer replaces it); a fresh stamp makes
    // every parsed copy, ours included, stale, so the holder starts from the file.
    ::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), nullptr, 0);
}

FileWriteGuard::~FileWriteGuard()
{
    if (descriptor >= 0) {
        ::close(descriptor);
    }
}

void FileWriteGuard::WaitForNewTimeStamp() const
{
    struct stat status {};
    if (::stat(QFile::encodeName(file).constData(), &status) != 0) {
        return;
    }
    const long long written = Milliseconds(status.st_mtim);
    // The kernel stamps files from its coarse clock, which advances once per tick.
    for (int attempt = 0; attempt < 100; ++attempt) {
        timespec now{};
        clock_gettime(CLOCK_REALTIME_COARSE, &now);
        if (Milliseconds(now) > written) {
            return;
        }
        const timespec pause{0, 500000};
        nanosleep(&pause, nullptr);
    }
}

} // namespace Talvex::Native
