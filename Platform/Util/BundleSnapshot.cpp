#include "Platform/Util/BundleSnapshot_p.h"

#include "Platform/Native/Descriptor.h"
#include "Platform/Native/PrivateCacheFolder_p.h"
#include "Platform/Util/ContentHash.h"
#include "Platform/Util/ResourceBundleCheck.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Talvex::Util {
namespace {

constexpr char MAGIC[8] = {'T', 'l', 'v', 'x', 'R', 'c', 'c', '2'};
// A bundle whose last change is this recent is not kept yet (see the class comment).
constexpr std::int64_t SETTLED_AFTER_NANOSECONDS = 1'000'000'000;

// Written after the bundle's bytes, so that the bytes start the file and map from its
// first page.
struct Trailer {
    char magic[8];
    std::uint64_t path;
    std::uint64_t device;
    std::uint64_t inode;
    std::uint64_t size;
    std::int64_t modified;
    std::int64_t changed;
    std::int64_t born;
    std::uint64_t mount;
};

// The mount's identifier that the kernel never gives to another mount (Linux 6.8);
// older kernels answer with the plain one, which a later mount may reuse.
constexpr unsigned MNT_ID_UNIQUE = 0x00004000U;

std::int64_t Nanoseconds(const struct timespec& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

std::int64_t Nanoseconds(const struct statx_timestamp& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// "<cache>/Talvex/Bundles", one copy per bundle path.
Native::PrivateCacheFolder& Cache()
{
    static auto* const cache = new Native::PrivateCacheFolder(
        QStringLiteral("Bundles"), "Theme bundles are read into memory", "Theme bundles are not kept in");
    return *cache;
}

std::uint64_t PathHash(const QString& path)
{
    ContentHash hash(3);
    hash.Add(path.constData(), static_cast<std::size_t>(path.size()) * sizeof(QChar));
    return hash.Value();
}

QByteArray EntryName(const QString& path)
{
    return QByteArray::number(static_cast<qulonglong>(PathHash(path)), 16);
}

Trailer TrailerOf(const QString& path, const BundleSnapshot::Stamp& stamp)
{
    Trailer trailer{};
    std::memcpy(trailer.magic, MAGIC, sizeof MAGIC);
    trailer.path = PathHash(path);
    trailer.device = stamp.device;
    trailer.inode = stamp.inode;
    trailer.size = stamp.size;
    trailer.modified = stamp.modified;
    trailer.changed = stamp.changed;
    trailer.born = stamp.born;
    trailer.mount = stamp.mount;
    return trailer;
}

// Writes `bytes` in pieces of the size that the kernel maps around a page first read:
// it keeps a file written at once in pieces as large as the write, and maps a whole
// piece when any page of it is read, so a copy written at once would be resident as a
// whole as soon as a font's first table is read.
bool WriteInPieces(int entry, const QByteArray& bytes)
{
    constexpr qsizetype PIECE = 64 * 1024;
    for (qsizetype at = 0; at < bytes.size(); at += PIECE) {
        const qsizetype size = std::min<qsizetype>(PIECE, bytes.size() - at);
        if (!Native::PrivateCacheFolder::WriteFully(entry, bytes.constData() + at, static_cast<std::size_t>(size))) {
            return false;
        }
    }
    return true;
}

// Whether `stamp` describes a bundle we may map a copy of.
bool Mappable(const BundleSnapshot::Stamp& stamp)
{
    return stamp.valid && stamp.size > 0 && stamp.size <= static_cast<std::uint64_t>(ResourceBundleCheck::MAX_FILE_SIZE) &&
           stamp.size <= static_cast<std::uint64_t>(std::numeric_limits<int>::max());
}

// The copies mapped in this process, by the copy's device and inode: a copy is never
// written over, so one mapping serves every mount of it, and is undone when the last of
// them has been released (a mount whose bytes are held for good, a font's, never is).
struct Mapping {
    dev_t device;
    ino_t inode;
    const char* data;
    int size;
    int uses;
};
std::mutex mappingsLock;
std::vector<Mapping>& Mappings()
{
    static auto* const mappings = new std::vector<Mapping>();
    return *mappings;
}

// The copy open on `entry` (checked to be whole for `stamp`; `status` is what fstat
// says of it), mapped; empty when it cannot be mapped or is not well formed.
QByteArray Map(int entry, const struct stat& status, const BundleSnapshot::Stamp& stamp)
{
    const std::lock_guard<std::mutex> guard(mappingsLock);
    for (Mapping& mapping : Mappings()) {
        if (mapping.device == status.st_dev && mapping.inode == status.st_ino) {
            ++mapping.uses;
            return QByteArray::fromRawData(mapping.data, mapping.size);
        }
    }
    const auto size = static_cast<std::size_t>(stamp.size);
    void* const data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, entry, 0);
    if (data == MAP_FAILED) {
        return QByteArray();
    }
    // Read from the disk only the pages that are used, not what follows them.
    ::madvise(data, size, MADV_RANDOM);
    const QByteArray view = QByteArray::fromRawData(static_cast<const char*>(data), static_cast<int>(size));
    // A copy damaged on disk (a machine that stopped before it was written out) is read
    // from the bundle again, and replaced.
    if (!ResourceBundleCheck::IsWellFormed(view)) {
        ::munmap(data, size);
        return QByteArray();
    }
    Mappings().push_back({status.st_dev, status.st_ino, static_cast<const char*>(data), static_cast<int>(size), 1});
    return view;
}

} // namespace

bool BundleSnapshot::Stamp::operator==(const Stamp& other) const
{
    return valid == other.valid && device == other.device && inode == other.inode && size == other.size &&
           modified == other.modified && changed == other.changed && born == other.born && mount == other.mount;
}

BundleSnapshot::Stamp BundleSnapshot::StampOf(const QString& path)
{
    Stamp stamp;
    struct statx status {};
    if (::statx(AT_FDCWD, QFile::encodeName(path).constData(), 0,
                STATX_BASIC_STATS | STATX_BTIME | STATX_MNT_ID | MNT_ID_UNIQUE, &status) != 0 ||
        !S_ISREG(status.stx_mode)) {
        return stamp;
    }
    stamp.device = (static_cast<std::uint64_t>(status.stx_dev_major) << 32) | status.stx_dev_minor;
    stamp.inode = status.stx_ino;
    stamp.size = status.stx_size;
    stamp.modified = Nanoseconds(status.stx_mtime);
    stamp.changed = Nanoseconds(status.stx_ctime);
    stamp.born = (status.stx_mask & STATX_BTIME) ? Nanoseconds(status.stx_btime) : 0;
    stamp.mount = (status.stx_mask & (STATX_MNT_ID | MNT_ID_UNIQUE)) ? status.stx_mnt_id : 0;
    stamp.valid = true;
    return stamp;
}

QByteArray BundleSnapshot::Find(const QString& path, const Stamp& stamp)
{
    if (!Mappable(stamp)) {
        return QByteArray();
    }
    const Native::Descriptor folder(Cache().Open());
    if (folder.Get() < 0) {
        return QByteArray();
    }
    const Native::Descriptor entry(
        ::openat(folder.Get(), EntryName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    Trailer trailer{};
    if (!Native::PrivateCacheFolder::IsOwnFile(entry.Get(), status) ||
        static_cast<std::uint64_t>(status.st_size) != stamp.size + sizeof trailer ||
        ::pread(entry.Get(), &trailer, sizeof trailer, static_cast<off_t>(stamp.size)) !=
            static_cast<ssize_t>(sizeof trailer)) {
        return QByteArray();
    }
    const Trailer expected = TrailerOf(path, stamp);
    if (std::memcmp(&trailer, &expected, sizeof trailer) != 0) {
        return QByteArray();
    }
    return Map(entry.Get(), status, stamp);
}

void BundleSnapshot::Release(const char* data)
{
    const std::lock_guard<std::mutex> guard(mappingsLock);
    auto& mappings = Mappings();
    const auto found = std::find_if(mappings.begin(), mappings.end(),
                                    [data](const Mapping& mapping) { return mapping.data == data; });
    if (found != mappings.end() && --found->uses == 0) {
        ::munmap(const_cast<char*>(found->data), static_cast<std::size_t>(found->size));
        mappings.erase(found);
    }
}

void BundleSnapshot::Keep(const QString& path, const Stamp& stamp, const QByteArray& bytes)
{
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    if (!Mappable(stamp) || static_cast<std::uint64_t>(bytes.size()) != stamp.size ||
        Nanoseconds(now) - stamp.changed < SETTLED_AFTER_NANOSECONDS) {
        return;
    }
    const Native::Descriptor folder(Cache().Open());
    if (folder.Get() < 0) {
        return;
    }
    const Trailer trailer = TrailerOf(path, stamp);
    Cache().Publish(folder.Get(), EntryName(path), [&](int entry) {
        return WriteInPieces(entry, bytes) && Native::PrivateCacheFolder::WriteFully(entry, &trailer, sizeof trailer);
    });
}

} // namespace Talvex::Util
