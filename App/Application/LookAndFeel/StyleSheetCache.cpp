#include "App/Application/LookAndFeel/StyleSheetCache_p.h"

#include "Platform/Logging/LogLine.h"
#include "Platform/Native/CrashModules_p.h"
#include "Platform/Native/Descriptor.h"
#include "Platform/Native/PrivateCacheFolder_p.h"
#include "Platform/Util/ContentHash.h"
#include "Platform/Util/TextConversion.h"

#include <QResource>

#include <cstring>
#include <fcntl.h>

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

// "<cache>/Talvex/StyleSheets", one entry per theme folder, theme and language.
Native::PrivateCacheFolder& Cache()
{
    static auto* const cache = new Native::PrivateCacheFolder(
        QStringLiteral("StyleSheets"), "Style sheets are built afresh", "Style sheets are not kept in");
    return *cache;
}

QByteArray EntryName(const StyleSheetCache::Key& key)
{
    return QByteArray::number(static_cast<qulonglong>(key.slot), 16);
}

// An entry of the right kind for `key`, as long as its header promises.
bool IsWholeEntry(const Header& header, qint64 size, const StyleSheetCache::Key& key)
{
    return std::memcmp(header.magic, MAGIC, sizeof MAGIC) == 0 && header.content == key.content &&
           header.bytes <= MAX_BYTES && static_cast<std::uint64_t>(size) == sizeof header + header.bytes;
}

bool WriteEntry(int entry, const StyleSheetCache::Key& key, const QByteArray& sheet)
{
    Header header{};
    std::memcpy(header.magic, MAGIC, sizeof MAGIC);
    header.content = key.content;
    header.bytes = static_cast<std::uint64_t>(sheet.size());
    return Native::PrivateCacheFolder::WriteFully(entry, &header, sizeof header) &&
           Native::PrivateCacheFolder::WriteFully(entry, sheet.constData(), header.bytes);
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
    const Native::Descriptor folder(Cache().Open());
    if (folder.Get() < 0) {
        return false;
    }
    const Native::Descriptor entry(
        ::openat(folder.Get(), EntryName(key).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    Header header{};
    if (!Native::PrivateCacheFolder::IsOwnFile(entry.Get(), status) ||
        !Native::PrivateCacheFolder::ReadFully(entry.Get(), &header, sizeof header) ||
        !IsWholeEntry(header, status.st_size, key)) {
        return false;
    }
    QByteArray text(static_cast<int>(header.bytes), Qt::Uninitialized);
    if (!Native::PrivateCacheFolder::ReadFully(entry.Get(), text.data(), header.bytes) || !IsSheetText(text)) {
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
    const Native::Descriptor folder(Cache().Open());
    if (folder.Get() >= 0) {
        Cache().Publish(folder.Get(), EntryName(key), [&](int entry) { return WriteEntry(entry, key, sheet); });
    }
}

} // namespace Talvex::App
