#include "ThemeFolderCheck.h"

#include "BundleInspector.h"
#include "PlaceholderScan.h"

#include <Platform/Core/Property.h>
#include <Platform/Core/PropertySerializer.h>
#include <Platform/IO/DataInputString.h>

#include <QFile>
#include <QFontDatabase>

#include <exception>

namespace Talvex::ThemeCheck {

namespace {

std::string Utf8(const QString& text)
{
    return text.toUtf8().toStdString();
}

// The manager names folders and bundles by what comes before the first dot.
bool HasDot(const QString& name)
{
    return name.contains(QLatin1Char('.'));
}

} // namespace

ThemeFolderCheck::ThemeFolderCheck(const QString& themesFolder, const std::string& descriptionFileName,
                                   const std::list<std::string>& bundleNames, CheckReport& report)
    : themesFolder(themesFolder), descriptionFileName(descriptionFileName), bundleNames(bundleNames), report(report)
{
}

void ThemeFolderCheck::Run(const std::list<std::string>& locales)
{
    const QStringList folders = themesFolder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    if (folders.isEmpty()) {
        report.Error(std::string(), Utf8(themesFolder.path()), "no theme folder found");
    }
    for (const QString& theme : folders) {
        if (HasDot(theme)) {
            report.Error(Utf8(theme), Utf8(theme),
                         "the theme's name has a dot: the manager knows it only as '" +
                             Utf8(QFileInfo(theme).baseName()) + "', what comes before the dot");
            continue;
        }
        CheckTheme(theme, locales);
    }
}

const QMap<QString, QString>& ThemeFolderCheck::StyleSheets(const std::string& theme) const
{
    static const QMap<QString, QString> none;
    const auto found = styleSheets.find(theme);
    return found != styleSheets.end() ? found.value() : none;
}

void ThemeFolderCheck::CheckTheme(const QString& theme, const std::list<std::string>& locales)
{
    CheckDescription(theme, locales);
    Definitions definitions;
    for (const QFileInfo& bundle : Bundles(theme)) {
        CheckBundle(theme, bundle, definitions);
    }
    CheckDefinitionsUsed(theme, definitions);
}

void ThemeFolderCheck::CheckDescription(const QString& theme, const std::list<std::string>& locales)
{
    const QString path = themesFolder.filePath(theme + QLatin1Char('/') + QString::fromStdString(descriptionFileName));
    const std::string label = Utf8(theme) + "/" + descriptionFileName;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        report.Error(Utf8(theme), label, "the description file does not open: the manager does not list this theme");
        return;
    }
    const std::string text = file.readAll().toStdString();
    Core::Property description{std::string()};
    try {
        Core::PropertySerializer::Deserialize(description, Core::DataInputString::Create(&text, label), true);
    } catch (const std::exception& error) {
        report.Error(Utf8(theme), label, std::string("the description does not parse: ") + error.what());
        return;
    }
    for (const std::string& locale : locales) {
        if (!description.ChildExists(locale) || description[locale].GetString().empty()) {
            report.Error(Utf8(theme), label, "no title for the shipped language " + locale);
        }
    }
}

QFileInfoList ThemeFolderCheck::Bundles(const QString& theme)
{
    const QDir folder(themesFolder.filePath(theme));
    if (bundleNames.empty()) {
        const QFileInfoList found = folder.entryInfoList({QStringLiteral("*.rcc")}, QDir::Files, QDir::Name);
        if (found.isEmpty()) {
            report.Error(Utf8(theme), Utf8(theme), "no resource bundle (*.rcc) in the theme's folder");
        }
        return found;
    }
    QFileInfoList found;
    for (const std::string& name : bundleNames) {
        const QFileInfo bundle(folder, QString::fromStdString(name) + QStringLiteral(".rcc"));
        if (bundle.isFile()) {
            found.append(bundle);
        } else {
            report.Error(Utf8(theme), Utf8(theme + QLatin1Char('/') + bundle.fileName()), "the bundle is missing");
        }
    }
    return found;
}

void ThemeFolderCheck::CheckBundle(const QString& theme, const QFileInfo& file, Definitions& definitions)
{
    const std::string label = Utf8(theme + QLatin1Char('/') + file.fileName());
    if (HasDot(file.completeBaseName())) {
        report.Error(Utf8(theme), label,
                     "the bundle's name has a dot: the manager reads it under :/" + Utf8(file.baseName()) + "/");
    }
    BundleInspector bundle(file);
    if (!bundle.Opens()) {
        report.Error(Utf8(theme), label,
                     "the bundle does not open as a compiled resource file: " + Utf8(bundle.Problem()));
        return;
    }
    if (!bundle.HasOwnPrefix()) {
        report.Error(Utf8(theme), label, "the bundle holds nothing under :/" + Utf8(bundle.Name()) + "/");
        return;
    }
    const QMap<QString, QString> sheets = bundle.StyleSheets();
    if (sheets.isEmpty() && !bundle.Holds(QStringLiteral("fonts.manifest"))) {
        report.Error(Utf8(theme), label, "no style sheet (style.qss, fonts_<platform>.qss) opens in the bundle");
    }
    QMap<QString, QString>& themeSheets = styleSheets[Utf8(theme)];
    for (auto sheet = sheets.begin(); sheet != sheets.end(); ++sheet) {
        themeSheets.insert(file.fileName() + sheet.key(), sheet.value());
    }
    QString error;
    const QString fontsJson = file.fileName() + bundle.ResourcePath(QStringLiteral("fonts.json"));
    definitions[fontsJson] = bundle.Definitions(error);
    if (!error.isEmpty()) {
        report.Error(Utf8(theme), Utf8(fontsJson), "no substitutions: " + Utf8(error));
    }
    CheckFonts(theme, file.fileName() + bundle.ResourcePath(QStringLiteral("fonts.manifest")), bundle);
}

void ThemeFolderCheck::CheckFonts(const QString& theme, const QString& file, const BundleInspector& bundle)
{
    for (const QString& font : bundle.ManifestFonts()) {
        if (QFontDatabase::addApplicationFont(font) < 0) {
            report.Error(Utf8(theme), Utf8(file), "the font " + Utf8(font) + " fails to register");
        }
    }
}

void ThemeFolderCheck::CheckDefinitionsUsed(const QString& theme, const Definitions& definitions)
{
    const QStringList texts = styleSheets.value(Utf8(theme)).values();
    for (auto entry = definitions.begin(); entry != definitions.end(); ++entry) {
        const QString& file = entry.key();
        const QSet<QString>& names = entry.value();
        const QSet<QString> used = PlaceholderScan::Used(names, texts);
        QStringList unused = (names - used).values();
        unused.sort();
        for (const QString& name : unused) {
            report.Warning(Utf8(theme), Utf8(file), "@" + Utf8(name) + " is defined but no style sheet uses it");
        }
    }
}

} // namespace Talvex::ThemeCheck
