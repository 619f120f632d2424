#pragma once

#include "CheckReport.h"

#include <App/Application/LookAndFeel/DesktopThemeFollower.h>

#include <list>
#include <string>

namespace Talvex::ThemeCheck {

// For a product that follows the desktop: every preference it names a theme for needs
// that theme shipped, or the product stays in its current theme when the desktop
// changes. Reported as warnings, since the product still works.
class FollowCheck {
public:
    FollowCheck(const App::DesktopThemeFollower::Themes& named, const std::list<std::string>& shipped,
                CheckReport& report);

    void Run();

private:
    void CheckShipped(const std::string& preference, const std::string& theme);

    App::DesktopThemeFollower::Themes named;
    std::list<std::string> shipped;
    CheckReport& report;
};

} // namespace Talvex::ThemeCheck
