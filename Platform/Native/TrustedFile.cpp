#include "Platform/Native/TrustedFile_p.h"

#include "Platform/Native/Descriptor.h"

#include <cerrno>
#include <deque>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Talvex::Native {
namespace {

// As many links as the kernel itself follows in one path.
const int MAX_LINKS = 40;

bool OwnedByRootOrUs(const struct stat& status)
{
    return status.st_uid == 0 || status.st_uid == ::geteuid();
}

int Refuse(int error)
{
    errno = error;
    return -1;
}

// Puts the parts of `path` in front of those still to walk.
void Prepend(std::deque<std::string>& parts, const std::string& path)
{
    std::deque<std::string> front;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        if (end > start && path.compare(start, end - start, ".") != 0) {
            front.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    parts.insert(parts.begin(), front.begin(), front.end());
}

// Reads the link at `link` (opened with O_PATH) when its owner is one we trust; the text
// comes from that very link, so it cannot be swapped after the check.
bool ReadTrustedLink(int link, std::string& target)
{
    struct stat status {};
    if (::fstat(link, &status) != 0 || !OwnedByRootOrUs(status)) {
        return false;
    }
    char text[4096];
    const ssize_t length = ::readlinkat(link, "", text, sizeof text);
    if (length <= 0 || length == static_cast<ssize_t>(sizeof text)) {
        return false;
    }
    target.assign(text, static_cast<size_t>(length));
    return true;
}

// The last part is opened for reading at once, without blocking: a FIFO opens without a
// writer and is then refused, and nobody else can make the device nodes that would
// answer such an open.
int OpenLast(int folder, const std::string& name)
{
    const int descriptor = ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat status {};
    if (descriptor >= 0 && (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || !OwnedByRootOrUs(status) ||
                            (status.st_mode & (S_IWGRP | S_IWOTH)) != 0)) {
        ::close(descriptor);
        return Refuse(EPERM);
    }
    return descriptor;
}

} // namespace

int OpenTrustedFileForReading(const std::string& path)
{
    if (path.empty() || path[0] != '/') {
        return Refuse(ENOENT);
    }
    std::deque<std::string> parts;
    Prepend(parts, path);
    Descriptor folder(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    int links = 0;
    while (folder.Get() >= 0 && !parts.empty()) {
        const std::string name = parts.front();
        parts.pop_front();
        if (parts.empty()) {
            const int file = OpenLast(folder.Get(), name);
            if (file >= 0 || errno != ELOOP) {
                return file;
            }
        }
        Descriptor next(::openat(folder.Get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat status {};
        if (next.Get() < 0 || ::fstat(next.Get(), &status) != 0) {
            return -1;
        }
        if (S_ISLNK(status.st_mode)) {
            std::string target;
            if (++links > MAX_LINKS || !ReadTrustedLink(next.Get(), target)) {
                return Refuse(EPERM);
            }
            Prepend(parts, target);
            if (target[0] == '/') {
                folder.Reset(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
            }
        } else if (S_ISDIR(status.st_mode)) {
            folder.Reset(next.Release());
        } else {
            return Refuse(ENOTDIR);
        }
    }
    return Refuse(ENOENT);
}

} // namespace Talvex::Native
