#include "FollowCheck.h"

#include <algorithm>

namespace Talvex::ThemeCheck {

FollowCheck::FollowCheck(const App::DesktopThemeFollower::Themes& named, const std::list<std::string>& shipped,
                         CheckReport& report)
    : named(named), shipped(shipped), report(report)
{
}

void FollowCheck::Run()
{
    CheckShipped("light", named.light);
    CheckShipped("dark", named.dark);
    if (!named.highContrast.empty()) {
        CheckShipped("high-contrast", named.highContrast);
    }
}

void FollowCheck::CheckShipped(const std::string& preference, const std::string& theme)
{
    if (std::find(shipped.begin(), shipped.end(), theme) != shipped.end()) {
        return;
    }
    report.Warning(theme, std::string(),
                   "the product follows the desktop but ships no theme '" + theme + "' for its " + preference +
                       " preference");
}

} // namespace Talvex::ThemeCheck
