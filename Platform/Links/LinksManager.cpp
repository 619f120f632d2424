#include "Platform/Links/LinksManager.h"

#include "Platform/Core/AppLocations.h"
#include "Platform/Logging/LogLine.h"

#include <QDesktopServices>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <utility>

namespace Talvex {
namespace {

const char* const TABLE_FILE_NAME = "links.json";

QString TablePath()
{
    ioPath resources;
    Core::AppLocations::GetLocations().GetResourcesPath(resources);
    return (resources / TABLE_FILE_NAME).ToQString();
}

QHash<QString, int> KeysByName()
{
    QHash<QString, int> keys;
    // Keys are numbered without gaps from 1, so the first nameless number ends the list.
    for (int key = 1; *URLKeyName(static_cast<URLKeys>(key)) != '\0'; ++key) {
        keys.insert(QLatin1String(URLKeyName(static_cast<URLKeys>(key))), key);
    }
    return keys;
}

QJsonObject ReadTableObject(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        TALVEX_LOG(ERROR) << "Cannot read the links table " << path.toStdString() << ": "
                          << file.errorString().toStdString();
        return {};
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError) {
        TALVEX_LOG(ERROR) << "Malformed links table " << path.toStdString() << " at offset " << error.offset << ": "
                          << error.errorString().toStdString();
        return {};
    }
    if (!document.isObject()) {
        TALVEX_LOG(ERROR) << "Malformed links table " << path.toStdString() << ": the top level is not an object";
    }
    return document.object();
}

QHash<int, QString> ReadTable(const QString& path)
{
    const QJsonObject table = ReadTableObject(path);
    const QHash<QString, int> keys = KeysByName();
    QHash<int, QString> templates;
    for (auto entry = table.begin(); entry != table.end(); ++entry) {
        const auto key = keys.constFind(entry.key());
        if (key == keys.cend() || !entry.value().isString()) {
            TALVEX_LOG(ERROR) << "Links table " << path.toStdString() << ": ignored entry "
                              << entry.key().toStdString();
            continue;
        }
        templates.insert(*key, entry.value().toString());
    }
    return templates;
}

QString Encoded(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

} // namespace

LinksManager::LinksManager(IdentitySource customization, LocaleSource lookAndFeel, SettingReader mailSettings,
                           SettingReader installerSettings)
    : customization(std::move(customization)), lookAndFeel(std::move(lookAndFeel)),
      mailSettings(std::move(mailSettings)), installerSettings(std::move(installerSettings)),
      templates(ReadTable(TablePath()))
{
}

LinksManager::~LinksManager() = default;

QString LinksManager::GetUrl(const URLKeys& key) const
{
    const auto found = templates.constFind(static_cast<int>(key));
    if (found == templates.cend()) {
        TALVEX_LOG(ERROR) << "The links table has no address for " << URLKeyName(key) << " (" << static_cast<int>(key)
                          << ")";
        return {};
    }
    return Fill(*found);
}

void LinksManager::OpenUrl(const QString& url) const
{
    const QUrl address(url, QUrl::StrictMode);
    if (url.isEmpty() || !address.isValid()) {
        TALVEX_LOG(ERROR) << "Cannot open the address \"" << url.toStdString() << "\"";
        return;
    }
    if (!QDesktopServices::openUrl(address)) {
        TALVEX_LOG(ERROR) << "Failed to open " << url.toStdString();
    }
}

QString LinksManager::Fill(QString address) const
{
    // Sources are asked only for the fields this template uses: a settings read per
    // link is cheap, but a settings read for nothing is still a disk touch.
    const auto locale = [this] { return lookAndFeel ? lookAndFeel() : QString(); };
    const auto identity = [this] { return customization ? customization() : ProductIdentity(); };
    const std::pair<const char*, std::function<QString()>> fields[] = {
        {"{locale}", locale},
        {"{lang}", [&] { return locale().section(QLatin1Char('_'), 0, 0); }},
        {"{product}", [&] { return identity().productName; }},
        {"{code}", [&] { return identity().codeName; }},
        {"{version}", [&] { return identity().version; }},
        {"{email}", [this] { return ReadSetting(mailSettings, "Email"); }},
        {"{installer}", [this] { return ReadSetting(installerSettings, "InstallerName"); }},
        {"{partner}", [this] { return ReadSetting(installerSettings, "Partner"); }},
    };
    for (const auto& [field, value] : fields) {
        if (address.contains(QLatin1String(field))) {
            address.replace(QLatin1String(field), Encoded(value()));
        }
    }
    return address;
}

QString LinksManager::ReadSetting(const SettingReader& reader, const char* key) const
{
    return reader ? reader(QLatin1String(key), QString()) : QString();
}

} // namespace Talvex
