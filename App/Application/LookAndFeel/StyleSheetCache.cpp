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
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace Talvex::App {
namespace {

constexpr char MAGIC[8] = {'T', 'l', 'v', 'x', 'Q', 's', 's', '1'};
// Far beyond any theme's sheet; a header that claims more is damaged.
constexpr std::uint64_t MAX_CHARACTERS = 64 << 20;

struct Header {
    char magic[8];
    std::uint64_t content;
    std::uint64_t characters;
    std::uint64_t check;
};

void AddText(Util::ContentHash& hash, const QString& text)
{
    hash.Add(text.constData(), static_cast<std::size_t>(text.size()) * sizeof(QChar));
}

// The build of this library: a sheet that another build made may have been assembled
// differently.
const std::string& LibraryBuild()
{
    static const std::string build =
        Native::CrashModules::BuildIdAt(reinterpret_cast<std::uintptr_t>(&StyleSheetCache::KeyOf));
    return build;
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

// Catches an entry that lost or garbled whole blocks (a crash of the machine before
// its data reached the disk); the rename already keeps out half-written ones.
std::uint64_t CheckOf(const QString& sheet)
{
    const char* bytes = reinterpret_cast<const char*>(sheet.constData());
    const std::size_t size = static_cast<std::size_t>(sheet.size()) * sizeof(QChar);
    std::uint64_t sum = size;
    std::size_t at = 0;
    for (; size - at >= 8; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + at, 8);
        sum += word;
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, bytes + at, size - at);
    return sum + tail;
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
    QString problem = QStringLiteral("has no place");
    const QString failed = base.isEmpty() ? base : Native::MakePrivateFolders(base, parts, &problem);
    if (!base.isEmpty() && failed.isEmpty()) {
        return base + QLatin1Char('/') + parts.join(QLatin1Char('/'));
    }
    TALVEX_LOG(WARNING) << "Style sheets are built afresh every time: the cache folder " << Util::QStringToUtf8(failed)
                        << " " << Util::QStringToUtf8(problem);
    return QString();
}

// The cache folder, made ours once for each cache location the process is given, and
// again when `remake` says it has gone since.
QString Folder(bool remake = false)
{
    static std::mutex lock;
    static QString base;
    static QString folder;
    static bool made = false;
    const QString now = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const std::lock_guard<std::mutex> guard(lock);
    if (!made || remake || now != base) {
        base = now;
        folder = MakeFolder(base);
        made = true;
    }
    return folder;
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
        if (opened.Get() >= 0 && ::fstat(opened.Get(), &status) == 0 && status.st_uid == ::geteuid() &&
            (status.st_mode & (S_IWGRP | S_IWOTH)) == 0) {
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
        if (put <= 0) {
            return false;
        }
        at += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

// A regular file of ours that nobody else may write, of exactly the size its header
// promises.
bool IsWholeEntry(int descriptor, const Header& header)
{
    struct stat status {};
    return ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid() &&
           (status.st_mode & (S_IWGRP | S_IWOTH)) == 0 && header.characters <= MAX_CHARACTERS &&
           static_cast<std::uint64_t>(status.st_size) == sizeof header + header.characters * sizeof(QChar);
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

bool WriteEntry(int entry, const StyleSheetCache::Key& key, const QString& sheet)
{
    Header header{};
    std::memcpy(header.magic, MAGIC, sizeof MAGIC);
    header.content = key.content;
    header.characters = static_cast<std::uint64_t>(sheet.size());
    header.check = CheckOf(sheet);
    return WriteFully(entry, &header, sizeof header) &&
           WriteFully(entry, sheet.constData(), header.characters * sizeof(QChar));
}

} // namespace

StyleSheetCache::Key StyleSheetCache::KeyOf(const QString& slotName, const QStringList& files,
                                            const QStringList& settings)
{
    Util::ContentHash slot(1);
    Util::ContentHash content(2);
    AddText(slot, slotName);
    content.Add(LibraryBuild().data(), LibraryBuild().size());
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
    key.usable = !LibraryBuild().empty();
    return key;
}

bool StyleSheetCache::Find(const Key& key, QString& sheet)
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
    Header header{};
    if (entry.Get() < 0 || !ReadFully(entry.Get(), &header, sizeof header) ||
        std::memcmp(header.magic, MAGIC, sizeof MAGIC) != 0 || header.content != key.content ||
        !IsWholeEntry(entry.Get(), header)) {
        return false;
    }
    QString text(static_cast<int>(header.characters), Qt::Uninitialized);
    if (!ReadFully(entry.Get(), text.data(), header.characters * sizeof(QChar)) || CheckOf(text) != header.check) {
        return false;
    }
    sheet = std::move(text);
    return true;
}

void StyleSheetCache::Keep(const Key& key, const QString& sheet)
{
    if (!key.usable || static_cast<std::uint64_t>(sheet.size()) > MAX_CHARACTERS) {
        return;
    }
    const Native::Descriptor folder(OpenFolder());
    if (folder.Get() < 0) {
        return;
    }
    static std::atomic<bool> failed{false};
    const QByteArray name = EntryName(key);
    QByteArray temporary;
    Native::Descriptor entry(CreateTemporary(folder.Get(), name, temporary));
    if (entry.Get() < 0) {
        WarnOnce(failed, "Style sheets are not kept: " + std::string(std::strerror(errno)));
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
        WarnOnce(failed, "Style sheets are not kept: " + std::string(std::strerror(error)));
    }
}

} // namespace Talvex::App
