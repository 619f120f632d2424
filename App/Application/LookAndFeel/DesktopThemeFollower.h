#pragma once

#include "App/Application/LookAndFeel/DesktopAppearance.h"
#include "App/Application/LookAndFeel/ILookAndFeelManager.h"

#include <TalvexExport.h>

#include <QObject>
#include <QString>

#include <memory>
#include <string>

namespace Talvex::App {

class LookAndFeelManager;
struct DesktopThemeFollowerPrivate;

// Switches the manager's theme to the one the product names for the desktop's
// preference, and hands the desktop's accent colour to the sheet, while following is on.
// Following is off until the product turns it on; a theme picked in the theme menu
// turns it off (LookAndFeelHandler does that).
//
// GUI thread only. A change on the desktop becomes one SetTheme on the manager, so
// observers hear OnThemeChanged as for any change made through the manager. A change
// that comes while the last switch is still settling (within SETTLE of it, or within
// the time it took when that is longer) waits for the end of that time, and every
// change that comes meanwhile joins it: a flood of changes gives a switch per settling
// time to the last state, while a single change is applied at once. A named
// theme the product does not ship is skipped with a WARNING and the current one stays.
// Before the manager has a theme (before Initialize) nothing is switched: the product
// passes ThemeToShow() to Initialize instead.
class TALVEX_EXPORT DesktopThemeFollower : public QObject {
    Q_OBJECT
public:
    // The product's theme for each preference; an empty high-contrast name means the
    // product has none and the scheme decides alone.
    struct Themes {
        std::string light = LIGHT_THEME;
        std::string dark = DARK_THEME;
        std::string highContrast;
    };

    static constexpr std::chrono::milliseconds SETTLE{100};

    // Reads the desktop through the session bus, or the bus at `busAddress`.
    explicit DesktopThemeFollower(std::shared_ptr<LookAndFeelManager> manager, const QString& busAddress = QString(),
                                  QObject* parent = nullptr);
    // Takes the desktop's accent colour back out of the manager; the sheet in use is
    // not rebuilt for that.
    ~DesktopThemeFollower() override;

    void SetThemes(const Themes& themes);
    const Themes& GetThemes() const;

    // Reads the desktop's preference, waiting at most `bound` (see DesktopAppearance)
    // while following and not at all otherwise.
    void Start(std::chrono::milliseconds bound = DesktopAppearance::START_BOUND);

    // Turning following on applies the desktop's preference at once; turning it off
    // drops the accent colour, and rebuilds the sheet for that unless the caller is
    // about to set a theme anyway.
    void SetFollowing(bool following, bool rebuildSheet = true);
    bool IsFollowing() const;

    // The theme for the desktop's current preference, whether or not it is shipped.
    std::string PreferredTheme() const;
    // What the product passes to Initialize: the preferred theme while following when
    // it is shipped, otherwise `productTheme`.
    std::string ThemeToShow(const std::string& productTheme) const;

    const DesktopAppearance& GetAppearance() const;

signals:
    void FollowingChanged(bool following);

private:
    bool IsShipped(const std::string& theme) const;
    std::string PreferredOr(const std::string& fallback, const char* doing) const;
    void OnDesktopChanged();
    void Follow();

    std::shared_ptr<LookAndFeelManager> manager;
    DesktopAppearance* appearance;
    Themes themes;
    bool following = false;
    const std::unique_ptr<DesktopThemeFollowerPrivate> d;
};

} // namespace Talvex::App
