#include "App/Application/LookAndFeel/StyleSheetCache_p.h"

#include "Platform/Logging/LogLine.h"
#include "Platform/Native/CrashModules_p.h"
#include "Platform/Native/Descriptor.h"
#include "Platform/Native/OwnedFolder.h"
#include "Platform/Util/ContentHash.h"
#include "Platform/Util/TextConversion.h"

#include <QFile>
#include <QResource>
#include <QStandardPaths>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace Talvex::App {
namespace {

constexpr char MAGIC[8] = {'T', 'l', 'v', 'x', 'Q', 's', 's', '3'};
// Far beyond any theme's sheet; a header that claims more is damaged.
constexpr std::uint64_t MAX_BYTES = 128 << 20;

struct Header {
    char magic[8];
    std::uint64_t content;
    std::uint64_t bytes;
};

void AddText(Util::ContentHash& hash, const QString& text)
{
    hash.Add(text.constData(), static_cast<std::size_t>(text.size()) * sizeof(QChar));
}

// The builds of this library and of the Qt it runs on: a sheet that another build made
// may have been assembled differently (Qt parses the JSON and decodes the text).
const std::string& Builds()
{
    static const std::string builds = [] {
        const std::string ours =
            Native::CrashModules::BuildIdAt(reinterpret_cast<std::uintptr_t>(&StyleSheetCache::KeyOf));
        const std::string qt = Native::CrashModules::BuildIdAt(reinterpret_cast<std::uintptr_t>(&qVersion));
        if (ours.empty()) {
            TALVEX_LOG(INFO) << "Style sheets are built afresh every time: this build of the library has no build id";
            return std::string();
        }
        return ours + '|' + qt + '|' + qVersion();
    }();
    return builds;
}

// Whether a resource file went into the key; false for a file outside the resources.
bool AddFile(Util::ContentHash& hash, const QString& path)
{
    AddText(hash, path);
    if (!path.startsWith(QLatin1String(":/"))) {
        return false;
    }
    const QResource resource(path);
    if (!resource.isValid() || !resource.data()) {
        hash.AddNumber(0);
        return true;
    }
    hash.AddNumber(1 + static_cast<std::uint64_t>(resource.compressionAlgorithm()));
    hash.Add(resource.data(), static_cast<std::size_t>(resource.size()));
    return true;
}

// Whether an entry's text can be what we wrote: the rename keeps out half-written
// entries, but a machine that stops before an entry's data reached the disk may leave
// blocks of zeros in it, and a sheet never holds a NUL (its files are read up to their
// first NUL; the rare one that does is simply built afresh every time).
bool IsSheetText(const QByteArray& sheet)
{
    return std::memchr(sheet.constData(), '\0', static_cast<std::size_t>(sheet.size())) == nullptr;
}

// One WARNING per process for each way the cache can fail, so that a full disk does
// not fill the log.
void WarnOnce(std::atomic<bool>& said, const std::string& text)
{
    if (!said.exchange(true)) {
        TALVEX_LOG(WARNING) << text;
    }
}

// The cache folder below `base`, made ours; empty, after a WARNING, when nothing may be
// kept there.
QString MakeFolder(const QString& base)
{
    const QStringList parts{QStringLiteral("Talvex"), QStringLiteral("StyleSheets")};
    QString problem = QStringLiteral("cannot be told");
    const QString failed = base.isEmpty() ? base : Native::MakePrivateFolders(base, parts, &problem);
    if (!base.isEmpty() && failed.isEmpty()) {
        return base + QLatin1Char('/') + parts.join(QLatin1Char('/'));
    }
    TALVEX_LOG(WARNING) << "Style sheets are built afresh: the cache folder " << Util::QStringToUtf8(failed) << " "
                        << Util::QStringToUtf8(problem);
    return QString();
}

// The cache folder, made ours once for each cache location the process is given, and
// again when `remake` says that one made earlier has gone since. A refused location
// stays refused, so that a theme switch does not try again.
QString Folder(bool remake = false)
{
    static std::mutex lock;
    static QString base;
    static QString folder;
    static bool made = false;
    const QString now = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const std::lock_guard<std::mutex> guard(lock);
    if (!made || now != base || (remake && !folder.isEmpty())) {
        base = now;
        folder = MakeFolder(base);
        made = true;
    }
    return folder;
}

// Whether what `status` describes belongs to us alone: ours, and writable by nobody else.
bool IsOursAlone(const struct stat& status)
{
    return status.st_uid == ::geteuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The cache folder, opened without following a link and checked to be ours still (a
// folder made ours earlier in the run may have been removed or replaced since); -1 when
// nothing may be kept.
int OpenFolder()
{
    for (bool remake : {false, true}) {
        const QString folder = Folder(remake);
        if (folder.isEmpty()) {
            return -1;
        }
        Native::Descriptor opened(
            ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat status {};
        if (opened.Get() >= 0 && ::fstat(opened.Get(), &status) == 0 && IsOursAlone(status)) {
            return opened.Release();
        }
    }
    return -1;
}

QByteArray EntryName(const StyleSheetCache::Key& key)
{
    return QByteArray::number(static_cast<qulonglong>(key.slot), 16);
}

bool ReadFully(int descriptor, void* data, std::size_t size)
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

bool WriteFully(int descriptor, const void* data, std::size_t size)
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

// The size of a regular file of ours that nobody else may write; -1 for anything else,
// which is never read.
qint64 OwnFileSize(int descriptor)
{
    struct stat status {};
    const bool ours = ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && IsOursAlone(status);
    return ours ? static_cast<qint64>(status.st_size) : -1;
}

// An entry of the right kind for `key`, as long as its header promises.
bool IsWholeEntry(const Header& header, qint64 size, const StyleSheetCache::Key& key)
{
    return std::memcmp(header.magic, MAGIC, sizeof MAGIC) == 0 && header.content == key.content &&
           header.bytes <= MAX_BYTES && static_cast<std::uint64_t>(size) == sizeof header + header.bytes;
}

// A file of its own for a new entry, next to where it goes, under a name no other
// writer uses at the same moment; -1 when none can be made.
int CreateTemporary(int folder, const QByteArray& entry, QByteArray& temporary)
{
    static std::atomic<unsigned> counter{0};
    temporary = entry + ".new-" + QByteArray::number(::getpid()) + '-' + QByteArray::number(++counter);
    return ::openat(folder, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    S_IRUSR | S_IWUSR);
}

bool WriteEntry(int entry, const StyleSheetCache::Key& key, const QByteArray& sheet)
{
    Header header{};
    std::memcpy(header.magic, MAGIC, sizeof MAGIC);
    header.content = key.content;
    header.bytes = static_cast<std::uint64_t>(sheet.size());
    return WriteFully(entry, &header, sizeof header) && WriteFully(entry, sheet.constData(), header.bytes);
}

// New entries that a writer stopped in the middle of (a crash, a kill) left behind,
// taken away by the next writer of the same entry. One that is minutes old is nobody's
// any more; only regular files of ours are removed.
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
    const QByteArray prefix = name + ".new-";
    const time_t now = std::time(nullptr);
    while (const dirent* found = ::readdir(listing)) {
        struct stat status {};
        if (std::strncmp(found->d_name, prefix.constData(), static_cast<std::size_t>(prefix.size())) == 0 &&
            ::fstatat(folder, found->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode) &&
            status.st_uid == ::geteuid() && now - status.st_mtime > ABANDONED_AFTER_SECONDS) {
            ::unlinkat(folder, found->d_name, 0);
        }
    }
    ::closedir(listing);
}

} // namespace

StyleSheetCache::Key StyleSheetCache::KeyOf(const QString& slotName, const QStringList& files,
                                            const QStringList& settings)
{
    Util::ContentHash slot(1);
    Util::ContentHash content(2);
    AddText(slot, slotName);
    content.Add(Builds().data(), Builds().size());
    for (const QString& setting : settings) {
        AddText(content, setting);
    }
    Key key;
    for (const QString& file : files) {
        if (!AddFile(content, file)) {
            return key;
        }
    }
    key.slot = slot.Value();
    key.content = content.Value();
    key.usable = !Builds().empty();
    return key;
}

bool StyleSheetCache::Find(const Key& key, QByteArray& sheet)
{
    if (!key.usable) {
        return false;
    }
    const Native::Descriptor folder(OpenFolder());
    if (folder.Get() < 0) {
        return false;
    }
    const Native::Descriptor entry(
        ::openat(folder.Get(), EntryName(key).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    const qint64 size = entry.Get() < 0 ? -1 : OwnFileSize(entry.Get());
    Header header{};
    if (size < 0 || !ReadFully(entry.Get(), &header, sizeof header) || !IsWholeEntry(header, size, key)) {
        return false;
    }
    QByteArray text(static_cast<int>(header.bytes), Qt::Uninitialized);
    if (!ReadFully(entry.Get(), text.data(), header.bytes) || !IsSheetText(text)) {
        return false;
    }
    sheet = std::move(text);
    return true;
}

void StyleSheetCache::Keep(const Key& key, const QByteArray& sheet)
{
    if (!key.usable || static_cast<std::uint64_t>(sheet.size()) > MAX_BYTES) {
        return;
    }
    const Native::Descriptor folder(OpenFolder());
    if (folder.Get() < 0) {
        return;
    }
    static std::atomic<bool> failed{false};
    const auto warn = [](int error) {
        WarnOnce(failed, "Style sheets are not kept in " + Util::QStringToUtf8(Folder()) + ": " + std::strerror(error));
    };
    const QByteArray name = EntryName(key);
    QByteArray temporary;
    Native::Descriptor entry(CreateTemporary(folder.Get(), name, temporary));
    if (entry.Get() < 0) {
        warn(errno);
        return;
    }
    bool kept = WriteEntry(entry.Get(), key, sheet);
    int error = errno;
    entry.Reset(-1);
    if (kept && ::renameat(folder.Get(), temporary.constData(), folder.Get(), name.constData()) != 0) {
        kept = false;
        error = errno;
    }
    if (!kept) {
        ::unlinkat(folder.Get(), temporary.constData(), 0);
        warn(error);
        return;
    }
    RemoveAbandoned(folder.Get(), name);
}

} // namespace Talvex::App
