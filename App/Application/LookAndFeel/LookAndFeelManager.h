#pragma once

#include "App/Application/LookAndFeel/ILookAndFeelManager.h"
#include "App/Application/LookAndFeel/ILookAndFeelObserver.h"
#include "App/Application/Settings/EventHandlerList.h"
#include "Platform/Core/Property.h"
#include "Platform/Core/ioPath.h"

#include <TalvexExport.h>

#include <QByteArray>
#include <QColor>
#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QString>

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>

class QTranslator;

namespace Talvex::App {

class IQssPreprocessor;
struct LookAndFeelManagerPrivate;

// The placeholder a theme's sheets use for the desktop's accent colour. A theme defines
// it in its own fonts.json as the colour to show when the desktop gives none.
inline constexpr char SYSTEM_ACCENT_COLOR[] = "@systemAccentColor";

// The look-and-feel service over a product's resources folder:
// root/resources/themes/<theme>/ holds a description file with the theme's titles and
// compiled resource bundles (<name>.rcc, files under the prefix "/<name>");
// root/resources/locales/<locale>/ holds one language's translation catalogues.
//
// GUI thread only. Bundles are checked, read into memory and registered from there, so
// replacing a bundle file on disk leaves a mounted theme intact; a damaged bundle is
// left out with an ERROR. Bundles of the current theme stay registered until another
// theme is set, the manager's destruction included; registered fonts stay registered
// for good. A theme whose description file does not parse is left out of GetThemes with
// an ERROR naming the file and the position where reading stopped. A language that is
// not shipped is resolved with the installer's record, read through the application
// (which then needs its customization manager); catalogues that fail to load are skipped.
// While the application was started with --test-locale, Initialize and SetLocale show
// that language instead of the one they are given.
class TALVEX_EXPORT LookAndFeelManager : public ILookAndFeelManager {
public:
    // `resourceNames` are the bundle (and catalogue) base names to load, in order; empty
    // means every bundle found. The last argument is accepted for compatibility only.
    LookAndFeelManager(const Talvex::ioPath& resourcesRoot, const std::string& descriptionFileName,
                       const std::list<std::string>& resourceNames, const std::list<std::string>& unused = {});
    ~LookAndFeelManager() override;

    void Initialize(const std::string& locale, const std::string& theme) override;
    const std::string& GetCurrentLocale() const override;
    const std::list<std::string>& GetLocales() const override;
    const std::list<std::string>& GetThemes() const override;
    void SetLocale(const std::string& locale) override;
    void SetTheme(const std::string& theme) override;
    const std::string& GetCurrentTheme() const override;
    std::string GetLocalizedThemeName(const std::string& theme) const override;
    void ApplyTheme(const ThemeDescription& description) override;
    std::string GetUnitedStylesheet() override;
    std::string GetDefaultLocale() const override;
    void RegisterObserver(ILookAndFeelObserver* observer) override;
    void UnregisterObserver(ILookAndFeelObserver* observer) override;

    // Replaces the product's hook; takes effect at the next ApplyTheme.
    void SetQssPreprocessor(const std::shared_ptr<IQssPreprocessor>& preprocessor);

    // The desktop's accent colour for SYSTEM_ACCENT_COLOR, or an invalid colour for the
    // theme's own value; takes effect at the next ApplyTheme. Set only while the product
    // follows the desktop, so other products keep their substitutions unchanged.
    void SetSystemAccentColor(const QColor& color);
    const QColor& GetSystemAccentColor() const;

    // The locale of a Windows language identifier as the installer records it;
    // "en_US" for identifiers it does not know.
    static std::string LocaleNameFromInstallerCode(unsigned int code);

private:
    using PathFilter = std::function<bool(const Talvex::ioPath&)>;

    static void ListSubdirectories(const QString& folder, std::list<std::string>& names,
                                   const PathFilter& filter = PathFilter());
    void DiscoverThemesAndLocales(const std::string& descriptionFileName);
    void LoadThemeDescriptions(const std::string& descriptionFileName);
    Talvex::ioPath ThemesFolder() const;
    QList<QFileInfo> GetFilteredResourceList();
    void ClearCurrentTheme();
    void CollectSubstitutions(const std::list<std::string>& files, QMap<QString, QString>& substitutions);
    // Decompresses, parses and substitutes the theme's files into the united sheet.
    void BuildStyleSheet(const ThemeDescription& description);
    void MountBundle(const QFileInfo& bundle);
    // The wanted locale when it is shipped, else the first shipped match of the
    // system's preferred languages, else the installer's language, else "en_US".
    std::string ValidateLocale(const std::string& wanted) const;

    Talvex::ioPath resourcesRoot;
    std::list<std::string> resourceNames;
    std::list<std::string> locales;
    std::string currentLocale;
    std::list<std::string> themes;
    std::string currentTheme;
    std::map<std::string, Talvex::Core::Property> themeDescriptions;
    // UTF-8, as GetUnitedStylesheet gives it.
    QByteArray unitedStyleSheet;
    std::list<std::shared_ptr<QTranslator>> translators;
    Talvex::Core::EventHandlerList<ILookAndFeelObserver, Talvex::Core::SyncExecutePolicy> observers;
    std::shared_ptr<IQssPreprocessor> qssPreprocessor;
    const std::unique_ptr<LookAndFeelManagerPrivate> d;
};

} // namespace Talvex::App
