#include "App/Application/LookAndFeel/LookAndFeelManager.h"

#include "App/Application/Application.h"
#include "App/Application/LookAndFeel/ForcedTestLocale_p.h"
#include "App/Application/LookAndFeel/IQssPreprocessor.h"
#include "App/Application/LookAndFeel/LocaleResolution_p.h"
#include "App/Application/LookAndFeel/LookAndFeelManager_p.h"
#include "App/Application/LookAndFeel/StyleSheetCache_p.h"
#include "App/Application/LookAndFeel/TranslationCatalogues_p.h"
#include "App/Application/Settings/ISettingsManager.h"
#include "Platform/Core/PropertySerializer.h"
#include "Platform/IO/DataInputString.h"
#include "Platform/Logging/LogLine.h"
#include "Platform/Util/FontDatabase.h"
#include "Platform/Util/TextConversion.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QPixmapCache>
#include <QTextStream>
#include <QTranslator>
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>
#endif

#include <algorithm>
#include <cerrno>
#include <exception>

namespace Talvex::App {

namespace {

// Selects the platform-specific style sheet and substitutions of a bundle.
#if defined(Q_OS_WIN)
const QString PLATFORM_KEY = QStringLiteral("win");
#elif defined(Q_OS_MACOS)
const QString PLATFORM_KEY = QStringLiteral("mac");
#else
const QString PLATFORM_KEY = QStringLiteral("linux");
#endif

QString ToQString(const std::string& text)
{
    return Util::Utf8ToQString(text);
}

bool OpensForReading(QFile& file)
{
    return file.open(QIODevice::ReadOnly | QIODevice::Text);
}

void RegisterManifestFonts(const std::string& path)
{
    QFile file(ToQString(path));
    if (!OpensForReading(file)) {
        return;
    }
    QTextStream stream(&file);
    while (!stream.atEnd()) {
        QString fontFile;
        stream >> fontFile;
        if (!fontFile.isEmpty()) {
            Util::FontDatabase::addApplicationFont(fontFile);
        }
    }
}

// A test run started with --test-locale shows that language from the first window on,
// whatever the product asks for before or after the start.
std::string TestLocaleOr(const std::string& wanted)
{
    const QString forced = ForcedTestLocale();
    return forced.isEmpty() ? wanted : Util::QStringToUtf8(forced);
}

// False, with the ERROR that both applying and clearing a theme owe, when the theme's
// folder is gone.
bool ThemeFolderExists(const Talvex::ioPath& folder)
{
    if (QDir(folder.ToQString()).exists()) {
        return true;
    }
    TALVEX_LOG(ERROR) << "The directory [" << folder.utf8string() << "] doesn't exist!";
    return false;
}

// The codec that substitution files which are not plain ASCII are read through.
QString LocaleCodecName()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    return QString::fromLatin1(QTextCodec::codecForLocale()->name());
#else
    return QStringLiteral("UTF-8");
#endif
}

// Everything the united sheet is built from, so that a sheet kept from an earlier start
// or switch is used only where building it again would give the same text. The entry is
// named by program, theme and language, not by the theme's folder, which may move with
// every run (a mounted image) and would leave an entry behind each time.
StyleSheetCache::Key StyleSheetKey(const QString& themeFolder, const std::string& theme, const QString& locale,
                                   const ILookAndFeelManager::ThemeDescription& description, const QColor& accent)
{
    QStringList files;
    for (const auto* list : {&description.fontSubstitutionFiles, &description.styleSheets}) {
        for (const std::string& file : *list) {
            files.append(ToQString(file));
        }
    }
    const QStringList settings{themeFolder,
                               locale,
                               PLATFORM_KEY,
                               QString::number(description.fontSubstitutionFiles.size()),
                               accent.isValid() ? accent.name() : QString(),
                               LocaleCodecName()};
    const QString slot = QString::fromLocal8Bit(program_invocation_short_name) + QLatin1Char('|') + ToQString(theme) +
                         QLatin1Char('|') + locale;
    return StyleSheetCache::KeyOf(slot, files, settings);
}

} // namespace

LookAndFeelManager::LookAndFeelManager(const Talvex::ioPath& resourcesRoot, const std::string& descriptionFileName,
                                       const std::list<std::string>& resourceNames, const std::list<std::string>&)
    : resourcesRoot(resourcesRoot), resourceNames(resourceNames), d(std::make_unique<LookAndFeelManagerPrivate>())
{
    DiscoverThemesAndLocales(descriptionFileName);
    LoadThemeDescriptions(descriptionFileName);
}

LookAndFeelManager::~LookAndFeelManager() = default;

void LookAndFeelManager::ListSubdirectories(const QString& folder, std::list<std::string>& names,
                                            const PathFilter& filter)
{
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo& entry : entries) {
        if (!entry.isDir()) {
            continue;
        }
        const std::string name = Util::QStringToUtf8(entry.baseName());
        if (!filter || filter(Talvex::ioPath(name))) {
            names.push_back(name);
        }
    }
}

Talvex::ioPath LookAndFeelManager::ThemesFolder() const
{
    return resourcesRoot / RESOURCES / THEMES;
}

void LookAndFeelManager::DiscoverThemesAndLocales(const std::string& descriptionFileName)
{
    const Talvex::ioPath resources = resourcesRoot / RESOURCES;
    const auto hasDescription = [this, &descriptionFileName](const Talvex::ioPath& theme) {
        QFile description((ThemesFolder() / theme / descriptionFileName).ToQString());
        return OpensForReading(description);
    };
    const QFileInfoList entries =
        QDir(resources.ToQString()).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo& entry : entries) {
        if (!entry.isDir()) {
            continue;
        }
        if (entry.baseName() == QLatin1String(LOCALES)) {
            ListSubdirectories(entry.filePath(), locales);
        } else if (entry.baseName() == QLatin1String(THEMES)) {
            ListSubdirectories(entry.filePath(), themes, hasDescription);
        }
    }
}

// One damaged description on a user's disk must not keep the product from starting, so
// its theme is left out, as a damaged bundle or catalogue is; the deserializer's message
// names the file and where reading stopped.
void LookAndFeelManager::LoadThemeDescriptions(const std::string& descriptionFileName)
{
    for (auto theme = themes.begin(); theme != themes.end();) {
        QFile file((ThemesFolder() / *theme / descriptionFileName).ToQString());
        if (!OpensForReading(file)) {
            ++theme;
            continue;
        }
        const std::string text = file.readAll().toStdString();
        Talvex::Core::Property description{std::string()};
        try {
            Talvex::Core::PropertySerializer::Deserialize(
                description, Talvex::Core::DataInputString::Create(&text, Util::QStringToUtf8(file.fileName())), true);
        } catch (const std::exception& error) {
            TALVEX_LOG(ERROR) << "Skipping theme [" << *theme << "]: " << error.what();
            theme = themes.erase(theme);
            continue;
        }
        themeDescriptions[*theme] = std::move(description);
        ++theme;
    }
}

void LookAndFeelManager::Initialize(const std::string& locale, const std::string& theme)
{
    SetLocale(locale);
    SetTheme(theme);
}

const std::string& LookAndFeelManager::GetCurrentLocale() const
{
    return currentLocale;
}

const std::list<std::string>& LookAndFeelManager::GetLocales() const
{
    return locales;
}

const std::list<std::string>& LookAndFeelManager::GetThemes() const
{
    return themes;
}

void LookAndFeelManager::SetLocale(const std::string& locale)
{
    const std::string resolved = ValidateLocale(TestLocaleOr(locale));
    if (resolved == currentLocale) {
        return;
    }
    currentLocale = resolved;
    TranslationCatalogues::Remove(translators);
    const QString folder = (resourcesRoot / RESOURCES / LOCALES / currentLocale).ToQString();
    translators = TranslationCatalogues::Install(TranslationCatalogues::Choose(folder, resourceNames, currentLocale));
    observers.Notify([this](ILookAndFeelObserver* observer) { observer->OnLocaleChanged(currentLocale); });
}

std::string LookAndFeelManager::ValidateLocale(const std::string& wanted) const
{
    if (!wanted.empty() && wanted != UNKNOWN_LOCALE &&
        std::find(locales.begin(), locales.end(), wanted) != locales.end()) {
        return wanted;
    }
    const std::list<std::string> preferred = LocaleResolution::PreferredSystemLocales();
    std::string fallback = GetDefaultLocale();
    if (fallback.empty() || fallback == UNKNOWN_LOCALE) {
        fallback = "en_US";
    }
    // The installer's language wins over "en_US" even when it is not shipped: the
    // product then shows its source texts, but links and titles follow the user.
    const std::string shipped = LocaleResolution::FirstShippedMatch(preferred, locales);
    return shipped.empty() ? fallback : shipped;
}

std::string LookAndFeelManager::GetDefaultLocale() const
{
    const auto* application = qobject_cast<const Application*>(QCoreApplication::instance());
    if (!application) {
        TALVEX_LOG(ERROR) << "No Talvex application to read the installer's language from";
        return UNKNOWN_LOCALE;
    }
    const int code = application->GetInstallerSettings(std::string())->GetInt("Language", 0);
    return code != 0 ? LocaleNameFromInstallerCode(static_cast<unsigned int>(code)) : UNKNOWN_LOCALE;
}

std::string LookAndFeelManager::LocaleNameFromInstallerCode(unsigned int code)
{
    return LocaleResolution::FromInstallerCode(code);
}

const std::string& LookAndFeelManager::GetCurrentTheme() const
{
    return currentTheme;
}

QList<QFileInfo> LookAndFeelManager::GetFilteredResourceList()
{
    if (!ThemeFolderExists(ThemesFolder() / currentTheme)) {
        return {};
    }
    const QDir folder((ThemesFolder() / currentTheme).ToQString());
    if (resourceNames.empty()) {
        // The same entries as the name filter "*.rcc" (QDir matches it case-insensitively),
        // without compiling that filter into a regular expression on every switch.
        QFileInfoList bundles = folder.entryInfoList(QDir::Files, QDir::NoSort);
        bundles.erase(std::remove_if(bundles.begin(), bundles.end(),
                                     [](const QFileInfo& entry) {
                                         return !entry.fileName().endsWith(QLatin1String(".rcc"), Qt::CaseInsensitive);
                                     }),
                      bundles.end());
        return bundles;
    }
    QList<QFileInfo> bundles;
    for (const std::string& name : resourceNames) {
        const QFileInfo bundle(folder, ToQString(name) + QStringLiteral(".rcc"));
        if (bundle.exists()) {
            bundles.append(bundle);
        }
    }
    return bundles;
}

void LookAndFeelManager::ClearCurrentTheme()
{
    if (!currentTheme.empty()) {
        // What the folder lists now may no longer hold a mounted bundle (removed or
        // renamed meanwhile), so what was mounted is what gets unmounted.
        ThemeFolderExists(ThemesFolder() / currentTheme);
        d->mounted.clear();
        currentTheme.clear();
    }
    QPixmapCache::clear();
}

void LookAndFeelManager::SetTheme(const std::string& theme)
{
    if (theme != currentTheme) {
        ClearCurrentTheme();
    }
    if (theme.empty()) {
        return;
    }
    currentTheme = theme;
    ThemeDescription description;
    for (const QFileInfo& bundle : GetFilteredResourceList()) {
        if (!bundle.isFile()) {
            continue;
        }
        MountBundle(bundle);
        const std::string prefix = ":/" + Util::QStringToUtf8(bundle.baseName()) + "/";
        description.styleSheets.push_back(prefix + "style.qss");
        description.styleSheets.push_back(prefix + "fonts_" + PLATFORM_KEY.toStdString() + ".qss");
        description.fontSubstitutionFiles.push_back(prefix + "fonts.json");
        description.fontManifests.push_back(prefix + "fonts.manifest");
    }
    description.styleSheets.push_back(":/productStyle.qss");
    description.styleSheets.push_back(":/productStyle_" + PLATFORM_KEY.toStdString() + ".qss");
    ApplyTheme(description);
    observers.Notify([this](ILookAndFeelObserver* observer) { observer->OnThemeChanged(currentTheme); });
}

// Qt trusts every offset inside a bundle, so one from disk is checked before it is
// mounted, and mounted from the bytes checked; a bundle that fails is left out and its
// files then read as missing.
void LookAndFeelManager::MountBundle(const QFileInfo& bundle)
{
    const QString path = bundle.absoluteFilePath();
    if (d->mounted.count(path) != 0) {
        return;
    }
    QString problem;
    auto mounted = Util::MountedResourceBundle::Mount(path, QString(), &problem);
    if (!mounted) {
        TALVEX_LOG(ERROR) << "Skipping damaged theme bundle " << Util::QStringToUtf8(path) << ": "
                          << Util::QStringToUtf8(problem);
        return;
    }
    d->mounted.emplace(path, std::move(mounted));
}

void LookAndFeelManager::CollectSubstitutions(const std::list<std::string>& files,
                                              QMap<QString, QString>& substitutions)
{
    const QString locale = ToQString(currentLocale);
    for (const std::string& path : files) {
        d->files.AddSubstitutions(ToQString(path), PLATFORM_KEY, locale, substitutions);
    }
}

void LookAndFeelManager::BuildStyleSheet(const ThemeDescription& description)
{
    QMap<QString, QString> substitutions;
    CollectSubstitutions(description.fontSubstitutionFiles, substitutions);
    if (d->systemAccentColor.isValid()) {
        substitutions[QLatin1String(SYSTEM_ACCENT_COLOR)] = d->systemAccentColor.name();
    }
    QStringList parts;
    QByteArray bytes;
    for (const std::string& styleSheet : description.styleSheets) {
        ThemeFileReader::ReadText(ToQString(styleSheet), bytes);
        parts.append(ThemeFileReader::DecodeUtf8(bytes));
    }
    d->substitution.Reset(substitutions);
    QString united;
    d->substitution.Assemble(parts, united);
    unitedStyleSheet = united.toUtf8();
}

void LookAndFeelManager::ApplyTheme(const ThemeDescription& description)
{
    for (const std::string& manifest : description.fontManifests) {
        RegisterManifestFonts(manifest);
    }
    const StyleSheetCache::Key key = StyleSheetKey((ThemesFolder() / currentTheme).ToQString(), currentTheme,
                                                   ToQString(currentLocale), description, d->systemAccentColor);
    if (!StyleSheetCache::Find(key, unitedStyleSheet)) {
        BuildStyleSheet(description);
        StyleSheetCache::Keep(key, unitedStyleSheet);
    }
    if (qssPreprocessor) {
        QString united = QString::fromUtf8(unitedStyleSheet);
        qssPreprocessor->Process(united);
        unitedStyleSheet = united.toUtf8();
    }
}

std::string LookAndFeelManager::GetUnitedStylesheet()
{
    return std::string(unitedStyleSheet.constData(), static_cast<std::size_t>(unitedStyleSheet.size()));
}

std::string LookAndFeelManager::GetLocalizedThemeName(const std::string& theme) const
{
    const auto found = themeDescriptions.find(theme);
    if (found != themeDescriptions.end() && found->second.ChildExists(currentLocale)) {
        return found->second[currentLocale].GetString();
    }
    TALVEX_LOG(WARNING) << "No title found for theme [" << theme << "] on language [" << currentLocale << "]!";
    return theme;
}

void LookAndFeelManager::RegisterObserver(ILookAndFeelObserver* observer)
{
    observers.Subscribe(observer);
}

void LookAndFeelManager::UnregisterObserver(ILookAndFeelObserver* observer)
{
    observers.Unsubscribe(observer);
}

void LookAndFeelManager::SetQssPreprocessor(const std::shared_ptr<IQssPreprocessor>& preprocessor)
{
    qssPreprocessor = preprocessor;
}

void LookAndFeelManager::SetSystemAccentColor(const QColor& color)
{
    d->systemAccentColor = color;
}

const QColor& LookAndFeelManager::GetSystemAccentColor() const
{
    return d->systemAccentColor;
}

} // namespace Talvex::App
