#include "Platform/Native/AbandonedSockets.h"

#include "Platform/Logging/LogLine.h"

#include <QFile>

#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Talvex::Native {
namespace {

using FileId = std::pair<dev_t, ino_t>;

bool IsNumberedName(const std::string& name, const QStringList& stems)
{
    const QString text = QFile::decodeName(name.c_str());
    for (const QString& stem : stems) {
        if (text.size() > stem.size() && text.startsWith(stem)) {
            bool number = true;
            for (int i = stem.size(); i < text.size() && number; ++i) {
                number = text.at(i).isDigit() && text.at(i).unicode() < 128;
            }
            if (number) {
                return true;
            }
        }
    }
    return false;
}

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<FileId> OurSocket(int folder, const char* name)
{
    struct stat status {};
    if (::fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISSOCK(status.st_mode) &&
        status.st_uid == ::geteuid()) {
        return FileId{status.st_dev, status.st_ino};
    }
    return std::nullopt;
}

// The sockets of ours in the folder under names we might have made, as they are now.
std::vector<std::pair<std::string, FileId>> Candidates(int folder, const QStringList& stems)
{
    std::vector<std::pair<std::string, FileId>> found;
    const int listingDescriptor = ::dup(folder);
    DIR* listing = listingDescriptor >= 0 ? ::fdopendir(listingDescriptor) : nullptr;
    if (!listing) {
        if (listingDescriptor >= 0) {
            ::close(listingDescriptor);
        }
        return found;
    }
    while (const dirent* entry = ::readdir(listing)) {
        if (IsNumberedName(entry->d_name, stems)) {
            if (const auto id = OurSocket(folder, entry->d_name)) {
                found.emplace_back(entry->d_name, *id);
            }
        }
    }
    ::closedir(listing);
    return found;
}

// The files of the sockets under such names that some process still holds, as the
// kernel's table of local sockets lists them; nothing when the table cannot be read.
// The table is read after the folder, so a socket made meanwhile is never mistaken
// for an abandoned one. (It lists this network namespace only.)
std::optional<std::set<FileId>> SocketFilesInUse(const QStringList& stems)
{
    std::ifstream table("/proc/net/unix");
    std::string line;
    if (!table || !std::getline(table, line)) {
        return std::nullopt;
    }
    std::set<FileId> inUse;
    while (std::getline(table, line)) {
        // Num RefCount Protocol Flags Type St Inode Path
        std::istringstream fields(line);
        std::string skipped, path;
        for (int column = 0; column < 7; ++column) {
            fields >> skipped;
        }
        fields >> std::ws;
        std::getline(fields, path);
        struct stat status {};
        if (!path.empty() && path.front() == '/' && IsNumberedName(BaseName(path), stems) &&
            ::lstat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode)) {
            inUse.emplace(status.st_dev, status.st_ino);
        }
    }
    return inUse;
}

bool IsPrivateFolder(int folder)
{
    struct stat status {};
    return ::fstat(folder, &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() &&
           (status.st_mode & 077) == 0;
}

int RemoveFrom(int folder, const QStringList& stems)
{
    const auto candidates = Candidates(folder, stems);
    if (candidates.empty()) {
        return 0;
    }
    const auto inUse = SocketFilesInUse(stems);
    if (!inUse) {
        TALVEX_LOG(WARNING) << "Cannot tell which local sockets are in use; abandoned names are kept";
        return 0;
    }
    int removed = 0;
    for (const auto& [name, id] : candidates) {
        // Only the very socket examined above goes, should the name have changed hands.
        if (inUse->count(id) == 0 && OurSocket(folder, name.c_str()) == id &&
            ::unlinkat(folder, name.c_str(), 0) == 0) {
            ++removed;
        }
    }
    return removed;
}

} // namespace

int RemoveAbandonedSockets(const QString& folder, const QStringList& stems)
{
    const int descriptor =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) {
        return 0;
    }
    const int removed = IsPrivateFolder(descriptor) ? RemoveFrom(descriptor, stems) : 0;
    ::close(descriptor);
    return removed;
}

} // namespace Talvex::Native
