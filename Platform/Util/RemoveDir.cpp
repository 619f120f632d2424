#include "Platform/Util/RemoveDir.h"

#include "Platform/Logging/LogLine.h"
#include "Platform/Native/Descriptor.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <limits>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Talvex::Util {

// The walk works on descriptors and raw names: every step is taken relative to a
// folder we already opened without following links, so a symbolic link planted
// anywhere (even at `path` itself, or swapped in while we walk) is never entered,
// and names that are not valid text are handled like any other.
namespace {

const int OPEN_FOLDER = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool Fail(const char* what, const QByteArray& path)
{
    TALVEX_LOG(ERROR) << what << ' ' << path.constData() << ": " << std::strerror(errno);
    return false;
}

bool IsEmptyFolder(int folder)
{
    const int copy = ::openat(folder, ".", OPEN_FOLDER);
    DIR* listing = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!listing) {
        if (copy >= 0) {
            ::close(copy);
        }
        return false;
    }
    bool empty = true;
    while (const dirent* entry = ::readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            empty = false;
            break;
        }
    }
    ::closedir(listing);
    return empty;
}

class Sweep {
public:
    explicit Sweep(qint64 cutoff) : cutoff(cutoff) {}

    // Clears the folder open as `folder`; `shown` names it in log lines.
    bool Clear(int folder, const QByteArray& shown) const
    {
        const int copy = ::dup(folder);
        DIR* listing = copy >= 0 ? ::fdopendir(copy) : nullptr;
        if (!listing) {
            if (copy >= 0) {
                ::close(copy);
            }
            return Fail("Cannot read folder", shown);
        }
        bool cleared = true;
        while (const dirent* entry = ::readdir(listing)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
                cleared = Entry(folder, entry->d_name, shown + '/' + entry->d_name) && cleared;
            }
        }
        ::closedir(listing);
        return cleared;
    }

private:
    bool Entry(int folder, const char* name, const QByteArray& shown) const
    {
        struct stat status {};
        if (::fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
            return errno == ENOENT || Fail("Cannot examine", shown);
        }
        const bool expired = static_cast<qint64>(status.st_mtime) < cutoff;
        if (!S_ISDIR(status.st_mode)) {
            if (expired && ::unlinkat(folder, name, 0) != 0 && errno != ENOENT) {
                return Fail("Failed to remove expired file", shown);
            }
            return true;
        }
        // The folder's age is judged before clearing it: removing entries renews it.
        const Native::Descriptor child(::openat(folder, name, OPEN_FOLDER));
        if (child.Get() < 0) {
            return Fail("Cannot open folder", shown);
        }
        bool cleared = Clear(child.Get(), shown);
        if (expired && IsEmptyFolder(child.Get()) && ::unlinkat(folder, name, AT_REMOVEDIR) != 0) {
            cleared = Fail("Failed to remove folder", shown);
        }
        return cleared;
    }

    qint64 cutoff;
};

} // namespace

bool RemoveDir(const QString& path, int days, bool removeSelf)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat status {};
    if (::lstat(native.constData(), &status) != 0) {
        return errno == ENOENT || Fail("Cannot examine", native);
    }
    if (S_ISLNK(status.st_mode)) {
        TALVEX_LOG(ERROR) << "Refusing to clear " << native.constData() << ": it is a symbolic link";
        return false;
    }
    if (!S_ISDIR(status.st_mode)) {
        TALVEX_LOG(ERROR) << "Cannot clear " << native.constData() << ": not a folder";
        return false;
    }
    const Native::Descriptor folder(::open(native.constData(), OPEN_FOLDER));
    if (folder.Get() < 0) {
        return Fail("Cannot open folder", native);
    }
    // With no age limit, "older than now" would spare files written this very second.
    const qint64 cutoff = days <= 0 ? std::numeric_limits<qint64>::max()
                                    : QDateTime::currentSecsSinceEpoch() - qint64(days) * 24 * 60 * 60;
    bool cleared = Sweep(cutoff).Clear(folder.Get(), native);
    if (removeSelf && IsEmptyFolder(folder.Get()) && ::rmdir(native.constData()) != 0) {
        cleared = Fail("Failed to remove folder", native);
    }
    return cleared;
}

} // namespace Talvex::Util
