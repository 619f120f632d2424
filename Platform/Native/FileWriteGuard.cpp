#include "Platform/Native/FileWriteGuard.h"

#include "Platform/Logging/LogLine.h"

#include <QDeadlineTimer>
#include <QFile>

#include <cerrno>
#include <cstring>
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

FileWriteGuard::FileWriteGuard(const QString& file, int waitMs) : file(file)
{
    const QByteArray lockName = QFile::encodeName(file + QStringLiteral(".guard"));
    if (!Open(lockName)) {
        return;
    }
    if (!Lock(waitMs)) {
        if (!busy || waitMs > 0) {
            TALVEX_LOG(WARNING) << "No lock on " << lockName.constData() << " after " << waitMs
                                << " ms: its holder does not let go; going on without it";
        }
        ::close(descriptor);
        descriptor = -1;
        return;
    }
    // Waiting here rather than on release also covers a holder killed right after its
    // write: whatever we write carries a later time stamp than anything seen before.
    WaitForNewTimeStamp();
    // A reader may have recorded a time stamp newer than the text it parsed (it can
    // stat the file after reading it while a writer replaces it); a fresh stamp makes
    // every parsed copy, ours included, stale, so the holder starts from the file. A
    // link in the file's place keeps its target's stamp.
    ::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), nullptr, AT_SYMLINK_NOFOLLOW);
}

// Without O_NONBLOCK a FIFO in the lock file's place would stall the open until some
// other process opened it too.
bool FileWriteGuard::Open(const QByteArray& lockName)
{
    descriptor = ::open(lockName.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (descriptor < 0) {
        TALVEX_LOG(WARNING) << "Cannot open the lock file " << lockName.constData() << ": " << std::strerror(errno)
                            << "; going on without it";
        return false;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        TALVEX_LOG(WARNING) << "The lock file " << lockName.constData()
                            << " is not a regular file; going on without it";
        ::close(descriptor);
        descriptor = -1;
        return false;
    }
    return true;
}

FileWriteGuard::~FileWriteGuard()
{
    if (descriptor >= 0) {
        ::close(descriptor);
    }
}

bool FileWriteGuard::Lock(int waitMs)
{
    const QDeadlineTimer deadline(waitMs);
    while (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
        if (deadline.hasExpired()) {
            busy = true;
            return false;
        }
        const timespec pause{0, 2000000};
        nanosleep(&pause, nullptr);
    }
    return true;
}

void FileWriteGuard::WaitForNewTimeStamp() const
{
    struct stat status {};
    if (::lstat(QFile::encodeName(file).constData(), &status) != 0) {
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
