#include "BundleInspector.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QTextStream>

namespace Talvex::ThemeCheck {

namespace {

// The manager reads only its own platform's sheet, but a theme ships all of them and
// each may use placeholders.
const QStringList STYLE_SHEETS{QStringLiteral("style.qss"), QStringLiteral("fonts_win.qss"),
                               QStringLiteral("fonts_mac.qss"), QStringLiteral("fonts_linux.qss")};

} // namespace

BundleInspector::BundleInspector(const QFileInfo& bundle)
    : bundle(bundle), mounted(Util::MountedResourceBundle::Mount(bundle.absoluteFilePath(), QString(), &problem))
{
}

BundleInspector::~BundleInspector() = default;

QString BundleInspector::Name() const
{
    return bundle.baseName();
}

bool BundleInspector::HasOwnPrefix() const
{
    return Opens() && QDir(QStringLiteral(":/") + Name()).exists();
}

QString BundleInspector::ResourcePath(const QString& file) const
{
    return QStringLiteral(":/") + Name() + QLatin1Char('/') + file;
}

bool BundleInspector::Holds(const QString& file) const
{
    return Opens() && QFileInfo::exists(ResourcePath(file));
}

bool BundleInspector::ReadText(const QString& file, QString& text) const
{
    QFile source(ResourcePath(file));
    if (!Opens() || !source.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return false;
    }
    // Up to the first NUL, as the library reads a sheet (and Qt 5's fromUtf8 of a byte
    // array did; Qt 6's would go on).
    text = QString::fromUtf8(source.readAll().constData());
    return true;
}

QMap<QString, QString> BundleInspector::StyleSheets() const
{
    QMap<QString, QString> sheets;
    for (const QString& file : STYLE_SHEETS) {
        QString text;
        if (ReadText(file, text)) {
            sheets.insert(ResourcePath(file), text);
        }
    }
    return sheets;
}

QSet<QString> BundleInspector::Definitions(QString& error) const
{
    QSet<QString> names;
    QString text;
    if (!ReadText(QStringLiteral("fonts.json"), text)) {
        return names;
    }
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &parse);
    if (!document.isObject()) {
        error = parse.error != QJsonParseError::NoError
                    ? parse.errorString() + QStringLiteral(" at offset ") + QString::number(parse.offset)
                    : QStringLiteral("the top level is no object");
        return names;
    }
    const QJsonObject platforms = document.object();
    for (auto platform = platforms.begin(); platform != platforms.end(); ++platform) {
        const QJsonObject languages = platform.value().toObject();
        for (auto language = languages.begin(); language != languages.end(); ++language) {
            for (const QString& name : language.value().toObject().keys()) {
                names.insert(name);
            }
        }
    }
    return names;
}

QStringList BundleInspector::ManifestFonts() const
{
    QString text;
    if (!ReadText(QStringLiteral("fonts.manifest"), text)) {
        return {};
    }
    return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

} // namespace Talvex::ThemeCheck
