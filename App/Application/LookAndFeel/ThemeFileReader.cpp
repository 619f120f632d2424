#include "App/Application/LookAndFeel/ThemeFileReader_p.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QResource>
#include <QTextStream>
#include <QVariant>

#include <algorithm>
#include <cstring>

namespace Talvex::App {
namespace {

// Enough for the substitution files of a few themes of several bundles each.
constexpr std::size_t REMEMBERED_FILES = 16;

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

// A theme's files are mostly resources: their data is taken as it is, without the copy
// that reading through QFile makes. It may then point into the mounted bundle.
bool ReadAll(const QString& path, QByteArray& bytes)
{
    if (path.startsWith(QLatin1String(":/"))) {
        const QResource resource(path);
        if (!resource.isValid()) {
            return false;
        }
        bytes = resource.uncompressedData();
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    bytes = file.readAll();
    return true;
}

} // namespace

QString ThemeFileReader::DecodeUtf8(const QByteArray& bytes)
{
    // QString::fromUtf8(QByteArray) also ends the text at the first NUL, but finds it
    // one byte at a time.
    const void* nul = std::memchr(bytes.constData(), '\0', static_cast<std::size_t>(bytes.size()));
    const int size = nul ? static_cast<int>(static_cast<const char*>(nul) - bytes.constData()) : bytes.size();
    return QString::fromUtf8(bytes.constData(), size);
}

bool ThemeFileReader::ReadText(const QString& path, QByteArray& bytes)
{
    if (!ReadAll(path, bytes)) {
        bytes.clear();
        return false;
    }
    // Only text with carriage returns is copied out of the bundle.
    const void* found = std::memchr(bytes.constData(), '\r', static_cast<std::size_t>(bytes.size()));
    if (found) {
        const auto offset = static_cast<const char*>(found) - bytes.constData();
        char* const begin = bytes.data();
        bytes.resize(static_cast<int>(std::remove(begin + offset, begin + bytes.size(), '\r') - begin));
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
