#include "App/Application/LookAndFeel/ThemeFileReader_p.h"

#include "App/Application/LookAndFeel/ZlibInflate_p.h"

#include "Platform/Util/ResourceBundleCheck.h"
#include "Platform/Util/TextConversion.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QResource>
#include <QTextStream>
#include <QVariant>

#include <QtEndian>

#include <zstd.h>

#include <algorithm>
#include <cstring>

namespace Talvex::App {
namespace {

// Enough for the substitution files of a few themes of several bundles each.
constexpr std::size_t REMEMBERED_FILES = 16;
// No style sheet or substitution file comes near this; a stream that inflates past it
// is hostile and reads as empty.
constexpr int MAX_INFLATED = 64 << 20;

bool IsAscii(const QByteArray& bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The bytes the JSON parser gets: the text decoded with the locale's codec (which also
// honours a byte-order mark) and encoded back. ASCII comes back unchanged.
QByteArray AsLocal8Bit(const QByteArray& bytes)
{
    return IsAscii(bytes) ? bytes : QTextStream(bytes).readAll().toLocal8Bit();
}

// The member's text as QVariant gives it: numbers and booleans as their text, anything
// else that is not a string as empty text.
QString TextOf(const QJsonValue& value)
{
    return value.isString() ? value.toString() : value.toVariant().toString();
}

// A compressed resource block: its uncompressed size (big-endian), then a zlib stream,
// inflated as one buffer. What inflates is what Qt gives, and a stream that does not
// inflate reads as empty, as it does in Qt. The size is only a first guess, as in Qt.
// Without the inflater module Qt inflates it.
QByteArray Inflate(const QResource& resource)
{
    const ZlibInflateFunction inflate = ZlibInflater();
    if (!inflate) {
        return resource.uncompressedData();
    }
    constexpr qint64 HEADER = 4;
    const uchar* const block = resource.data();
    const qint64 size = resource.size();
    if (size <= HEADER) {
        return QByteArray();
    }
    // A claim beyond what deflate can give is no guide.
    const auto ratio = static_cast<qint64>(Util::ResourceBundleCheck::MAX_DEFLATE_RATIO);
    qint64 capacity = std::min<qint64>({qFromBigEndian<quint32>(block), (size - HEADER) * ratio, qint64(MAX_INFLATED)});
    for (capacity = std::max<qint64>(capacity, 64);; capacity = std::min<qint64>(capacity * 2, MAX_INFLATED)) {
        QByteArray bytes(static_cast<int>(capacity), Qt::Uninitialized);
        std::size_t inflated = 0;
        const InflateResult result = inflate(block + HEADER, static_cast<std::size_t>(size - HEADER), bytes.data(),
                                             static_cast<std::size_t>(capacity), &inflated);
        if (result == InflateResult::Done) {
            bytes.resize(static_cast<int>(inflated));
            return bytes;
        }
        if (result != InflateResult::NoRoom || capacity >= MAX_INFLATED) {
            return QByteArray();
        }
    }
}

// A zstd resource block is one frame that states its size, as rcc writes it. Decoded
// straight into the result, without the copy that QResource::uncompressedData() makes;
// a frame that does not decode, or would grow past the limit, reads as empty. A frame
// without its size is left to Qt.
QByteArray Unzstd(const QResource& resource)
{
    const unsigned long long claimed =
        ZSTD_getFrameContentSize(resource.data(), static_cast<std::size_t>(resource.size()));
    if (claimed == ZSTD_CONTENTSIZE_UNKNOWN) {
        return resource.uncompressedData();
    }
    if (claimed == ZSTD_CONTENTSIZE_ERROR || claimed > static_cast<unsigned long long>(MAX_INFLATED)) {
        return QByteArray();
    }
    QByteArray bytes(static_cast<int>(claimed), Qt::Uninitialized);
    const std::size_t decoded = ZSTD_decompress(bytes.data(), static_cast<std::size_t>(claimed), resource.data(),
                                                static_cast<std::size_t>(resource.size()));
    return ZSTD_isError(decoded) || decoded != claimed ? QByteArray() : bytes;
}

QByteArray Uncompressed(const QResource& resource)
{
    switch (resource.compressionAlgorithm()) {
    case QResource::ZlibCompression:
        return Inflate(resource);
    case QResource::ZstdCompression:
        return Unzstd(resource);
    default:
        return resource.uncompressedData();
    }
}

// A theme's files are mostly resources: their data is taken as it is, without the copy
// that reading through QFile makes. It may then point into the mounted bundle.
bool ReadAll(const QString& path, QByteArray& bytes)
{
    if (path.startsWith(QLatin1String(":/"))) {
        const QResource resource(path);
        if (!resource.isValid()) {
            return false;
        }
        bytes = Uncompressed(resource);
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    bytes = file.readAll();
    return true;
}

// Moves the runs between carriage returns together, each with one memmove: line ends
// are far apart, so this beats a byte-at-a-time remove. Returns the new size.
std::size_t DropCarriageReturns(char* text, int size)
{
    char* out = text;
    const char* run = text;
    const char* const end = text + size;
    while (run != end) {
        const void* found = std::memchr(run, '\r', static_cast<std::size_t>(end - run));
        const char* const stop = found ? static_cast<const char*>(found) : end;
        std::memmove(out, run, static_cast<std::size_t>(stop - run));
        out += stop - run;
        run = found ? stop + 1 : end;
    }
    return static_cast<std::size_t>(out - text);
}

} // namespace

QString ThemeFileReader::DecodeUtf8(const QByteArray& bytes)
{
    // QString::fromUtf8(QByteArray) also ends the text at the first NUL, but finds it
    // one byte at a time.
    const void* nul = std::memchr(bytes.constData(), '\0', static_cast<std::size_t>(bytes.size()));
    const int size = nul ? static_cast<int>(static_cast<const char*>(nul) - bytes.constData()) : bytes.size();
    return Util::Utf8ToQString(bytes.constData(), size);
}

bool ThemeFileReader::ReadText(const QString& path, QByteArray& bytes)
{
    if (!ReadAll(path, bytes)) {
        bytes.clear();
        return false;
    }
    // Only text with carriage returns is copied out of the bundle.
    if (std::memchr(bytes.constData(), '\r', static_cast<std::size_t>(bytes.size()))) {
        bytes.resize(static_cast<int>(DropCarriageReturns(bytes.data(), bytes.size())));
    }
    return true;
}

void ThemeFileReader::AddSubstitutions(const QString& path, const QString& platform, const QString& locale,
                                       QMap<QString, QString>& substitutions)
{
    QByteArray bytes;
    if (!ReadText(path, bytes)) {
        return;
    }
    auto found = std::find_if(recent.begin(), recent.end(),
                              [&](const Parsed& parsed) { return parsed.locale == locale && parsed.bytes == bytes; });
    if (found == recent.end()) {
        if (recent.size() == REMEMBERED_FILES) {
            recent.pop_back();
        }
        Entries entries = Parse(bytes, platform, locale);
        // A deep copy: the bytes may belong to a bundle that is unmounted later.
        found = recent.insert(recent.begin(),
                              Parsed{QByteArray(bytes.constData(), bytes.size()), locale, std::move(entries)});
    }
    for (const auto& [placeholder, text] : found->entries) {
        substitutions.insert(placeholder, text);
    }
}

ThemeFileReader::Entries ThemeFileReader::Parse(const QByteArray& bytes, const QString& platform, const QString& locale)
{
    if (IsAscii(bytes)) {
        if (auto entries = SubstitutionFileParser::Parse(bytes, platform, locale)) {
            return std::move(*entries);
        }
    }
    return ParseWithQt(bytes, platform, locale);
}

ThemeFileReader::Entries ThemeFileReader::ParseWithQt(const QByteArray& bytes, const QString& platform,
                                                      const QString& locale)
{
    const QJsonObject top = QJsonDocument::fromJson(AsLocal8Bit(bytes)).object();
    Entries entries;
    for (const QString& platformKey : {QStringLiteral("all_platforms"), platform}) {
        const QJsonObject languages = top.value(platformKey).toObject();
        for (const QString& language : {QStringLiteral("all_languages"), locale}) {
            const QJsonObject names = languages.value(language).toObject();
            for (auto it = names.constBegin(); it != names.constEnd(); ++it) {
                entries.emplace_back(QLatin1Char('@') + it.key(), TextOf(it.value()));
            }
        }
    }
    return entries;
}

} // namespace Talvex::App
