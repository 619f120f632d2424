#pragma once

#include <TalvexExport.h>

#include <list>
#include <string>

namespace Talvex::App {

class ILookAndFeelObserver;

// Folder names below the resources root; the library reads only these.
inline constexpr char RESOURCES[] = "resources";
inline constexpr char THEMES[] = "themes";
inline constexpr char LOCALES[] = "locales";
// Marks the absence of a language recorded by the installer.
inline constexpr char UNKNOWN_LOCALE[] = "unknown";
// Names offered to products for their own settings and stock themes.
inline constexpr char LOCALE[] = "locale";
inline constexpr char THEME[] = "theme";
inline constexpr char DARK_THEME[] = "Dark";
inline constexpr char LIGHT_THEME[] = "Light";

// The look-and-feel service: the shipped themes and user-interface languages, the
// current one of each, and the style sheet assembled for the current theme.
//
// Everything runs on the GUI thread, because switching registers Qt resources, fonts
// and translators. All names are UTF-8. The service never applies the style sheet to
// the application itself: its owner takes GetUnitedStylesheet() when told of a change.
class TALVEX_EXPORT ILookAndFeelManager {
public:
    // What one style sheet is assembled from; every entry is a file or resource path.
    struct ThemeDescription {
        std::list<std::string> styleSheets;           // joined in this order
        std::list<std::string> fontSubstitutionFiles; // fonts.json files, later ones win
        std::list<std::string> fontManifests;         // lists of font files to register
    };

    virtual ~ILookAndFeelManager() = default;

    // Sets the language, then the theme, so the theme is built with that language.
    virtual void Initialize(const std::string& locale, const std::string& theme) = 0;
    virtual const std::string& GetCurrentLocale() const = 0;
    virtual const std::list<std::string>& GetLocales() const = 0;
    virtual const std::list<std::string>& GetThemes() const = 0;
    virtual void SetLocale(const std::string& locale) = 0;
    virtual void SetTheme(const std::string& theme) = 0;
    virtual const std::string& GetCurrentTheme() const = 0;
    // The theme's title in the current language, or the theme's folder name.
    virtual std::string GetLocalizedThemeName(const std::string& theme) const = 0;
    // Rebuilds the style sheet from `description` without telling observers.
    virtual void ApplyTheme(const ThemeDescription& description) = 0;
    virtual std::string GetUnitedStylesheet() = 0;
    // The language the installer recorded, or UNKNOWN_LOCALE.
    virtual std::string GetDefaultLocale() const = 0;
    // Observers are not owned; null and duplicates are ignored.
    virtual void RegisterObserver(ILookAndFeelObserver* observer) = 0;
    virtual void UnregisterObserver(ILookAndFeelObserver* observer) = 0;
};

} // namespace Talvex::App
