#include "App/Application/LookAndFeel/LookAndFeelHandler.h"

#include "App/Application/LookAndFeel/DesktopThemeFollower.h"
#include "App/Application/LookAndFeel/ForcedTestLocale_p.h"
#include "App/Application/LookAndFeel/ILookAndFeelManager.h"
#include "App/Application/LookAndFeel/LanguageNames.h"
#include "Platform/Util/TextConversion.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMetaType>

Q_DECLARE_METATYPE(std::string)

namespace Talvex::App {

LookAndFeelHandler::LookAndFeelHandler(std::shared_ptr<ILookAndFeelManager> manager, QMenu* localeMenu,
                                       QMenu* themeMenu, QObject* parent)
    : QObject(parent), manager(std::move(manager)), localeMenu(localeMenu), themeMenu(themeMenu)
{
    // Queued connections to the two signals need the argument type by this name.
    qRegisterMetaType<std::string>("std::string");
    this->manager->RegisterObserver(this);
    localeGroup = new QActionGroup(this);
    themeGroup = new QActionGroup(this);
    // A language picked in the menu is applied first, so the retitling that follows
    // already reads the titles of the new language.
    connect(localeGroup, SIGNAL(triggered(QAction*)), this, SLOT(OnInnerLocaleChanged(QAction*)));
    connect(localeGroup, SIGNAL(triggered(QAction*)), this, SLOT(Retranslate()));
    connect(themeGroup, SIGNAL(triggered(QAction*)), this, SLOT(OnInnerThemeChanged(QAction*)));
    Retranslate();
}

LookAndFeelHandler::~LookAndFeelHandler()
{
    manager->UnregisterObserver(this);
}

void LookAndFeelHandler::SetLocaleList(const std::list<std::string>& names)
{
    locales = names;
    if (localeMenu) {
        RebuildLocaleMenu();
    }
}

void LookAndFeelHandler::SetThemeList(const std::list<std::string>& names)
{
    themes = names;
    if (themeMenu) {
        RebuildThemeMenu();
    }
}

void LookAndFeelHandler::SetLocaleMenu(QMenu* menu)
{
    if (localeMenu) {
        localeMenu->clear();
    }
    localeMenu = menu;
    Refresh();
}

void LookAndFeelHandler::SetThemeMenu(QMenu* menu)
{
    if (themeMenu) {
        themeMenu->clear();
    }
    themeMenu = menu;
    Refresh();
}

void LookAndFeelHandler::Refresh()
{
    if (localeMenu && !selectedLocale.empty()) {
        RebuildLocaleMenu();
        CheckAction(selectedLocale, localeActions);
    }
    if (themeMenu && !selectedTheme.empty()) {
        RebuildThemeMenu();
        CheckAction(selectedTheme, themeActions);
    }
}

void LookAndFeelHandler::SelectLocale(const std::string& locale)
{
    selectedLocale = locale;
    if (localeMenu) {
        CheckAction(selectedLocale, localeActions);
    }
}

void LookAndFeelHandler::SelectTheme(const std::string& theme)
{
    selectedTheme = theme;
    if (themeMenu) {
        CheckAction(selectedTheme, themeActions);
    }
}

void LookAndFeelHandler::SetFollower(std::shared_ptr<DesktopThemeFollower> given, bool offerEntry)
{
    if (!given || (follower && follower != given)) {
        return;
    }
    follower = std::move(given);
    if (offerEntry && !followAction) {
        MakeFollowEntry();
        InsertFollowEntry();
    }
}

void LookAndFeelHandler::OfferFollowSystem(std::shared_ptr<DesktopThemeFollower> offered)
{
    SetFollower(std::move(offered), true);
}

void LookAndFeelHandler::MakeFollowEntry()
{
    followAction = new QAction(this);
    followAction->setCheckable(true);
    followAction->setChecked(follower->IsFollowing());
    followSeparator = new QAction(this);
    followSeparator->setSeparator(true);
    connect(followAction, &QAction::triggered, this, [this](bool checked) { follower->SetFollowing(checked); });
    connect(follower.get(), &DesktopThemeFollower::FollowingChanged, followAction, &QAction::setChecked);
}

// Titled on every insertion: a rebuild after a language change through the manager
// retitles the theme entries, and this one must read the same language.
void LookAndFeelHandler::InsertFollowEntry()
{
    if (!themeMenu || !followAction) {
        return;
    }
    RetitleFollowEntry();
    themeMenu->removeAction(followAction);
    themeMenu->removeAction(followSeparator);
    QAction* first = themeMenu->actions().isEmpty() ? nullptr : themeMenu->actions().constFirst();
    themeMenu->insertAction(first, followAction);
    themeMenu->insertAction(first, followSeparator);
}

void LookAndFeelHandler::OnLocaleChanged(const std::string& locale)
{
    SelectLocale(locale);
}

void LookAndFeelHandler::OnThemeChanged(const std::string& theme)
{
    SelectTheme(theme);
}

void LookAndFeelHandler::OnInnerLocaleChanged(QAction* action)
{
    const std::string name = Util::QStringToUtf8(action->data().toString());
    manager->SetLocale(name);
    if (ForcedTestLocale().isEmpty()) {
        SelectLocale(name);
    } else {
        // A test run's forced language stays whatever is picked: the menu then checks
        // that one, or none when it has no entry, never the one clicked.
        const std::string current = manager->GetCurrentLocale();
        action->setChecked(current == name);
        SelectLocale(current);
    }
    emit LocaleChanged(name);
}

void LookAndFeelHandler::OnInnerThemeChanged(QAction* action)
{
    const std::string name = Util::QStringToUtf8(action->data().toString());
    // The pick is the user's own choice over the desktop's; the theme set next rebuilds
    // the sheet without the accent colour anyway.
    if (follower) {
        follower->SetFollowing(false, false);
    }
    manager->SetTheme(name);
    SelectTheme(name);
    emit ThemeChanged(name);
}

void LookAndFeelHandler::Retranslate()
{
    for (const auto& [name, action] : localeActions) {
        action->setText(LocaleTitle(Util::QStringToUtf8(action->data().toString())));
    }
    for (const auto& [name, action] : themeActions) {
        action->setText(ThemeTitle(Util::QStringToUtf8(action->data().toString())));
    }
    RetitleFollowEntry();
}

void LookAndFeelHandler::RetitleFollowEntry()
{
    if (followAction) {
        followAction->setText(tr("Follow the system"));
    }
}

QString LookAndFeelHandler::LocaleTitle(const std::string& locale) const
{
    return Util::Utf8ToQString(LanguageName(locale));
}

QString LookAndFeelHandler::ThemeTitle(const std::string& theme) const
{
    return Util::Utf8ToQString(manager->GetLocalizedThemeName(theme));
}

void LookAndFeelHandler::RebuildLocaleMenu()
{
    RebuildMenu(localeMenu, locales, localeGroup, localeActions,
                [this](const std::string& locale) { return LocaleTitle(locale); });
    localeMenu->addSeparator();
}

void LookAndFeelHandler::RebuildThemeMenu()
{
    RebuildMenu(themeMenu, themes, themeGroup, themeActions,
                [this](const std::string& theme) { return ThemeTitle(theme); });
    InsertFollowEntry();
}

void LookAndFeelHandler::RebuildMenu(QMenu* menu, const std::list<std::string>& names, QActionGroup* group,
                                     Actions& actions, const TitleRule& title)
{
    if (!menu || !group) {
        return;
    }
    actions.clear();
    for (QAction* action : menu->actions()) {
        menu->removeAction(action);
    }
    for (QAction* action : group->actions()) {
        group->removeAction(action);
        action->deleteLater();
    }
    for (const std::string& name : names) {
        auto* action = new QAction(group);
        action->setText(title(name));
        action->setData(Util::Utf8ToQString(name));
        action->setCheckable(true);
        group->addAction(action);
        menu->addAction(action);
        actions[name] = action;
    }
}

void LookAndFeelHandler::CheckAction(const std::string& name, Actions& actions)
{
    const auto found = actions.find(name);
    if (found != actions.end() && !found->second->isChecked()) {
        found->second->setChecked(true);
    }
}

} // namespace Talvex::App
