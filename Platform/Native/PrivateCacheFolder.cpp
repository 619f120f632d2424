#include "Platform/Native/PrivateCacheFolder_p.h"

#include "Platform/Logging/LogLine.h"
#include "Platform/Native/Descriptor.h"
#include "Platform/Native/OwnedFolder.h"
#include "Platform/Util/TextConversion.h"

#include <QFile>
#include <QStandardPaths>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Talvex::Native {
namespace {

// Whether what `status` describes belongs to us alone: ours, and writable by nobody else.
bool IsOursAlone(const struct stat& status)
{
    return status.st_uid == ::geteuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// A file of its own for a new entry, next to where it goes, under a name no other
// writer uses at the same moment; -1 when none can be made. A name still taken by a
// writer of another run that had our process id (in another container, say) is passed
// over for the next one.
int CreateTemporary(int folder, const QByteArray& entry, QByteArray& temporary)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporary = entry + ".new-" + QByteArray::number(::getpid()) + '-' + QByteArray::number(++counter);
        const int created = ::openat(folder, temporary.constData(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
        if (created >= 0 || errno != EEXIST) {
            return created;
        }
    }
    return -1;
}

// Whether `found` is a new entry being written for `name` (for any entry when `name` is
// empty).
bool IsTemporaryOf(const char* found, const QByteArray& name)
{
    const QByteArray mark = name + ".new-";
    return name.isEmpty() ? std::strstr(found, ".new-") != nullptr
                          : std::strncmp(found, mark.constData(), static_cast<std::size_t>(mark.size())) == 0;
}

// New entries that a writer stopped in the middle of (a crash, a kill) left behind, of
// `name` (of every entry when empty). One that is minutes old is nobody's any more; only
// regular files of ours are removed.
void RemoveAbandoned(int folder, const QByteArray& name)
{
    constexpr time_t ABANDONED_AFTER_SECONDS = 600;
    const int listed = ::dup(folder);
    DIR* const listing = listed < 0 ? nullptr : ::fdopendir(listed);
    if (!listing) {
        if (listed >= 0) {
            ::close(listed);
        }
        return;
    }
    const time_t now = std::time(nullptr);
    while (const dirent* found = ::readdir(listing)) {
        struct stat status {};
        if (IsTemporaryOf(found->d_name, name) &&
            ::fstatat(folder, found->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode) &&
            status.st_uid == ::geteuid() && now - status.st_mtime > ABANDONED_AFTER_SECONDS) {
            ::unlinkat(folder, found->d_name, 0);
        }
    }
    ::closedir(listing);
}

} // namespace

PrivateCacheFolder::PrivateCacheFolder(const QString& name, std::string refused, std::string notKept)
    : name(name), refused(std::move(refused)), notKept(std::move(notKept))
{
}

// The folder below `base`, made ours; empty, after a WARNING, when nothing may be kept
// there.
QString PrivateCacheFolder::MakeFolder(const QString& base) const
{
    const QStringList parts{QStringLiteral("Talvex"), name};
    QString problem = QStringLiteral("cannot be told");
    const QString failed = base.isEmpty() ? base : MakePrivateFolders(base, parts, &problem);
    if (!base.isEmpty() && failed.isEmpty()) {
        return base + QLatin1Char('/') + parts.join(QLatin1Char('/'));
    }
    TALVEX_LOG(WARNING) << refused << ": the cache folder " << Util::QStringToUtf8(failed) << " "
                        << Util::QStringToUtf8(problem);
    return QString();
}

// The folder, made ours once for each cache location the process is given, and again
// when `remake` says that one made earlier has gone since. A refused location stays
// refused, so that a theme switch does not try again.
QString PrivateCacheFolder::Folder(bool remake)
{
    const QString now = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const std::lock_guard<std::mutex> guard(lock);
    if (!made || now != base || (remake && !folder.isEmpty())) {
        base = now;
        folder = MakeFolder(base);
        made = true;
    }
    return folder;
}

int PrivateCacheFolder::Open()
{
    for (bool remake : {false, true}) {
        const QString path = Folder(remake);
        if (path.isEmpty()) {
            return -1;
        }
        Descriptor opened(::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat status {};
        if (opened.Get() >= 0 && ::fstat(opened.Get(), &status) == 0 && IsOursAlone(status)) {
            // What stopped writers left of any entry goes when the folder is first used
            // in a run or has changed since: an entry that is found every time is never
            // written again, so its own writer's clean-up would never come.
            if (ChangedSinceSweep(status)) {
                RemoveAbandoned(opened.Get(), QByteArray());
            }
            return opened.Release();
        }
    }
    return -1;
}

// Whether the folder `opened` describes is new to this run or has changed since it was
// last looked through (another folder under the same name, or files added or removed,
// which a folder's change time tells), so that only then is it looked through again.
bool PrivateCacheFolder::ChangedSinceSweep(const struct stat& opened)
{
    const std::lock_guard<std::mutex> guard(lock);
    const bool changed = opened.st_dev != sweptDevice || opened.st_ino != sweptInode ||
                         opened.st_ctim.tv_sec != sweptChange.tv_sec || opened.st_ctim.tv_nsec != sweptChange.tv_nsec;
    sweptDevice = opened.st_dev;
    sweptInode = opened.st_ino;
    sweptChange = opened.st_ctim;
    return changed;
}

// One WARNING per process, so that a full disk does not fill the log.
void PrivateCacheFolder::WarnNotKept(int error)
{
    if (!saidNotKept.exchange(true)) {
        TALVEX_LOG(WARNING) << notKept << " " << Util::QStringToUtf8(Folder(false)) << ": " << std::strerror(error);
    }
}

bool PrivateCacheFolder::Publish(int folder, const QByteArray& entryName, const std::function<bool(int)>& write)
{
    QByteArray temporary;
    Descriptor entry(CreateTemporary(folder, entryName, temporary));
    if (entry.Get() < 0) {
        WarnNotKept(errno);
        return false;
    }
    bool kept = write(entry.Get());
    int error = errno;
    entry.Reset(-1);
    if (kept && ::renameat(folder, temporary.constData(), folder, entryName.constData()) != 0) {
        kept = false;
        error = errno;
    }
    if (!kept) {
        ::unlinkat(folder, temporary.constData(), 0);
        WarnNotKept(error);
        return false;
    }
    RemoveAbandoned(folder, entryName);
    return true;
}

bool PrivateCacheFolder::IsOwnFile(int descriptor, struct stat& status)
{
    return descriptor >= 0 && ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && IsOursAlone(status);
}

bool PrivateCacheFolder::ReadFully(int descriptor, void* data, std::size_t size)
{
    auto* at = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t got = ::read(descriptor, at, size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        at += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

bool PrivateCacheFolder::WriteFully(int descriptor, const void* data, std::size_t size)
{
    const auto* at = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t put = ::write(descriptor, at, size);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put == 0) {
            errno = ENOSPC;
        }
        if (put <= 0) {
            return false;
        }
        at += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

} // namespace Talvex::Native
