#pragma once

#include "App/Application/LookAndFeel/ILookAndFeelObserver.h"

#include <TalvexExport.h>

#include <QObject>

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>

class QAction;
class QActionGroup;
class QMenu;

namespace Talvex::App {

class DesktopThemeFollower;
class ILookAndFeelManager;

// Keeps a product's language menu and theme menu in step with the look-and-feel
// manager: one checkable entry per name, the current choice checked. A choice picked
// in a menu goes to the manager and is re-emitted as LocaleChanged / ThemeChanged; a
// change made through the manager only moves the check mark. A picked language the
// manager does not take (a test run may force another) is emitted all the same, but
// the check mark stays with the language the manager shows.
//
// GUI thread only. The menus are not owned and may be null; each rebuild takes every
// action out of its menu, the product's own entries included, except the "Follow the
// system" entry: that one is the library's own and comes back at the top of the theme
// menu after every rebuild. Registers itself with the manager on construction and
// unregisters on destruction.
class TALVEX_EXPORT LookAndFeelHandler : public QObject, public ILookAndFeelObserver {
    Q_OBJECT
public:
    LookAndFeelHandler(std::shared_ptr<ILookAndFeelManager> manager, QMenu* localeMenu, QMenu* themeMenu,
                       QObject* parent = nullptr);
    ~LookAndFeelHandler() override;

    // The names to offer; the menu is rebuilt with nothing checked.
    void SetLocaleList(const std::list<std::string>& locales);
    void SetThemeList(const std::list<std::string>& themes);
    // Clears the previous menu of that kind, then fills the new one if a choice is selected.
    void SetLocaleMenu(QMenu* menu);
    void SetThemeMenu(QMenu* menu);
    // Rebuilds each menu that has a selection and checks the selected entry.
    void Refresh();
    // Choose the entry shown checked without telling the manager or emitting anything.
    void SelectLocale(const std::string& locale);
    void SelectTheme(const std::string& theme);
    // The follower that a theme picked in the menu turns off, whether or not the menu
    // offers the entry. With `offerEntry`, a checkable "Follow the system" entry at the
    // top of the theme menu, checked while `follower` follows; checking it turns
    // following on. Without the entry the theme menu is as it always was. The first
    // follower given stays; a later call may still add the entry for it.
    void SetFollower(std::shared_ptr<DesktopThemeFollower> follower, bool offerEntry);
    // SetFollower(follower, true).
    void OfferFollowSystem(std::shared_ptr<DesktopThemeFollower> follower);

    void OnLocaleChanged(const std::string& locale) override;
    void OnThemeChanged(const std::string& theme) override;

signals:
    void LocaleChanged(const std::string& locale);
    void ThemeChanged(const std::string& theme);

private slots:
    void OnInnerLocaleChanged(QAction* action);
    void OnInnerThemeChanged(QAction* action);
    void Retranslate();

private:
    using Actions = std::map<std::string, QAction*>;
    using TitleRule = std::function<QString(const std::string&)>;

    static void RebuildMenu(QMenu* menu, const std::list<std::string>& names, QActionGroup* group, Actions& actions,
                            const TitleRule& title);
    static void CheckAction(const std::string& name, Actions& actions);
    QString LocaleTitle(const std::string& locale) const;
    QString ThemeTitle(const std::string& theme) const;
    void RebuildLocaleMenu();
    void RebuildThemeMenu();
    void MakeFollowEntry();
    void InsertFollowEntry();
    void RetitleFollowEntry();

    std::shared_ptr<ILookAndFeelManager> manager;
    QMenu* localeMenu;
    QActionGroup* localeGroup = nullptr;
    std::list<std::string> locales;
    Actions localeActions;
    std::string selectedLocale;
    QMenu* themeMenu;
    QActionGroup* themeGroup = nullptr;
    std::list<std::string> themes;
    Actions themeActions;
    std::string selectedTheme;
    std::shared_ptr<DesktopThemeFollower> follower;
    QAction* followAction = nullptr;
    QAction* followSeparator = nullptr;
};

} // namespace Talvex::App
