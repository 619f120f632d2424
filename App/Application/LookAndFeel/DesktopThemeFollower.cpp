#include "App/Application/LookAndFeel/DesktopThemeFollower.h"

#include "App/Application/LookAndFeel/DesktopThemeFollower_p.h"
#include "App/Application/LookAndFeel/LookAndFeelManager.h"
#include "Platform/Logging/LogLine.h"

#include <algorithm>

namespace Talvex::App {

DesktopThemeFollower::DesktopThemeFollower(std::shared_ptr<LookAndFeelManager> manager, const QString& busAddress,
                                           QObject* parent)
    : QObject(parent), manager(std::move(manager)), appearance(new DesktopAppearance(busAddress, this)),
      d(std::make_unique<DesktopThemeFollowerPrivate>())
{
    d->settling.setSingleShot(true);
    connect(&d->settling, &QTimer::timeout, this, &DesktopThemeFollower::Follow);
    connect(appearance, &DesktopAppearance::PreferenceChanged, this, &DesktopThemeFollower::OnDesktopChanged);
}

// The manager outlives us; a colour left there would go into every later sheet.
DesktopThemeFollower::~DesktopThemeFollower()
{
    if (following) {
        manager->SetSystemAccentColor(QColor());
    }
}

void DesktopThemeFollower::SetThemes(const Themes& named)
{
    themes = named;
}

const DesktopThemeFollower::Themes& DesktopThemeFollower::GetThemes() const
{
    return themes;
}

void DesktopThemeFollower::Start(std::chrono::milliseconds bound)
{
    // Only a following product's first theme depends on the answer; the others take it
    // when it comes, in case following is turned on later.
    appearance->Start(following ? bound : std::chrono::milliseconds(0));
    if (following) {
        manager->SetSystemAccentColor(appearance->GetPreference().accentColor);
    }
}

void DesktopThemeFollower::SetFollowing(bool on, bool rebuildSheet)
{
    if (on == following) {
        return;
    }
    following = on;
    d->settling.stop();
    if (following) {
        Follow();
    } else {
        const bool accentShown = manager->GetSystemAccentColor().isValid();
        manager->SetSystemAccentColor(QColor());
        if (accentShown && rebuildSheet && !manager->GetCurrentTheme().empty()) {
            manager->SetTheme(manager->GetCurrentTheme());
        }
    }
    emit FollowingChanged(following);
}

bool DesktopThemeFollower::IsFollowing() const
{
    return following;
}

std::string DesktopThemeFollower::PreferredTheme() const
{
    const DesktopAppearance::Preference& preference = appearance->GetPreference();
    if (preference.highContrast && !themes.highContrast.empty()) {
        return themes.highContrast;
    }
    return preference.colorScheme == DesktopAppearance::ColorScheme::Dark ? themes.dark : themes.light;
}

std::string DesktopThemeFollower::ThemeToShow(const std::string& productTheme) const
{
    if (!following) {
        return productTheme;
    }
    return PreferredOr(productTheme, "showing");
}

// The theme the desktop's preference names when the product ships it; otherwise a
// WARNING and `fallback`, which the caller is `doing` instead.
std::string DesktopThemeFollower::PreferredOr(const std::string& fallback, const char* doing) const
{
    const std::string preferred = PreferredTheme();
    if (IsShipped(preferred)) {
        return preferred;
    }
    TALVEX_LOG(WARNING) << "The desktop's preference asks for theme [" << preferred
                        << "], which this product does not ship; " << doing << " [" << fallback << "]";
    return fallback;
}

const DesktopAppearance& DesktopThemeFollower::GetAppearance() const
{
    return *appearance;
}

bool DesktopThemeFollower::IsShipped(const std::string& theme) const
{
    const std::list<std::string>& shipped = manager->GetThemes();
    return std::find(shipped.begin(), shipped.end(), theme) != shipped.end();
}

// Each change the bus delivered while a switch ran waits in the event queue behind it;
// applied one by one they would keep the product switching long after the desktop
// stopped. Waiting at least as long as the switch took keeps the product responsive
// however slow its theme, and a pending wait already reads the newest preference.
void DesktopThemeFollower::OnDesktopChanged()
{
    if (!following || d->settling.isActive()) {
        return;
    }
    const qint64 settle = std::max<qint64>(SETTLE.count(), d->lastSwitchCost);
    const qint64 since = d->sinceSwitch.isValid() ? d->sinceSwitch.elapsed() : settle;
    if (since >= settle) {
        Follow();
    } else {
        d->settling.start(static_cast<int>(settle - since));
    }
}

// One desktop change is at most one SetTheme: a new theme carries the new accent
// colour with it, and an accent change alone rebuilds the current theme.
void DesktopThemeFollower::Follow()
{
    if (!following) {
        return;
    }
    const QColor accent = appearance->GetPreference().accentColor;
    const bool accentChanged = accent != manager->GetSystemAccentColor();
    manager->SetSystemAccentColor(accent);
    const std::string current = manager->GetCurrentTheme();
    if (current.empty()) {
        return;
    }
    const std::string wanted = PreferredOr(current, "keeping");
    if (wanted != current || accentChanged) {
        QElapsedTimer cost;
        cost.start();
        manager->SetTheme(wanted);
        d->lastSwitchCost = cost.elapsed();
        d->sinceSwitch.start();
    }
}

} // namespace Talvex::App
