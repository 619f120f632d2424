#pragma once

#include <list>
#include <string>

namespace Talvex::App {

// The pieces of choosing a user-interface language that do not depend on the
// manager's state: the system's preferred languages, how they meet the shipped
// folders, and the installer's language identifiers.
class LocaleResolution {
public:
    // Every Portuguese becomes "pt_BR" and every Chinese but "zh_CN" becomes "zh_TW",
    // because those are the only variants products ship.
    static std::string MapUiLanguageToLocale(const std::string& language);
    // The default locale's user-interface languages as locale names, most preferred
    // first, each passed through MapUiLanguageToLocale.
    static std::list<std::string> PreferredSystemLocales();
    // The first shipped locale that starts with one of `preferred`, trying the
    // preferred ones in order; empty when none matches.
    static std::string FirstShippedMatch(const std::list<std::string>& preferred,
                                         const std::list<std::string>& shipped);
    // The locale of a Windows language identifier; "en_US" for any it does not know.
    static std::string FromInstallerCode(unsigned int code);
};

} // namespace Talvex::App
