#include "LanguageFixture.h"

#include "App/Application/LookAndFeel/LookAndFeelHandler.h"

#include <QAction>
#include <QMenu>
#include <QTest>

using ::testing::ElementsAre;

namespace Talvex::Test {

// A real manager with three languages and two themes titled in English, German and
// Russian, and a handler over two real menus.
class LookAndFeelMenus : public LanguageFixture {
protected:
    void SetUp() override
    {
        for (const char* locale : {"de_DE", "ru_RU", "xx_YY"}) {
            Ship(locale);
        }
        Write("resources/themes/Light/theme.json", R"({"en_US": "Light", "de_DE": "Hell", "ru_RU": "Светлая"})");
        Write("resources/themes/Dark/theme.json", R"({"en_US": "Dark", "de_DE": "Dunkel", "ru_RU": "Тёмная"})");
        MakeManager().Initialize("en_US", "Light");
        handler = std::make_unique<App::LookAndFeelHandler>(manager, &localeMenu, &themeMenu);
        QObject::connect(handler.get(), &App::LookAndFeelHandler::LocaleChanged,
                         [this](const std::string& locale) { emitted.push_back("locale:" + locale); });
        QObject::connect(handler.get(), &App::LookAndFeelHandler::ThemeChanged,
                         [this](const std::string& theme) { emitted.push_back("theme:" + theme); });
        handler->SetLocaleList({"de_DE", "ru_RU", "xx_YY"});
        handler->SetThemeList({"Light", "Dark"});
    }

    // Titles ("--" for a separator), with "*" after checked entries.
    static QStringList Shown(const QMenu& menu)
    {
        QStringList shown;
        for (const QAction* action : menu.actions()) {
            EXPECT_TRUE(action->data().isNull() || action->isCheckable());
            shown.append(action->isSeparator() ? QStringLiteral("--")
                                               : action->text() + (action->isChecked() ? "*" : ""));
        }
        return shown;
    }

    // Opens the menu and clicks the entry, as a user picks it.
    static void Pick(QMenu& menu, int entry)
    {
        menu.popup(QPoint(10, 10));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
        QTest::mouseClick(&menu, Qt::LeftButton, Qt::NoModifier, menu.actionGeometry(menu.actions()[entry]).center());
    }

    QMenu localeMenu;
    QMenu themeMenu;
    std::unique_ptr<App::LookAndFeelHandler> handler;
    std::vector<std::string> emitted;
};

TEST_F(LookAndFeelMenus, PickedLanguageIsAppliedBeforeTheThemesAreRetitledAndStaysCheckedAsPicked)
{
    Pick(localeMenu, 1);
    EXPECT_EQ(manager->GetCurrentLocale(), "ru_RU");
    EXPECT_EQ(Shown(localeMenu), QStringList({"Deutsch", "Русский*", "xx_YY", "--"}));
    EXPECT_EQ(Shown(themeMenu), QStringList({"Светлая", "Тёмная"}));
    Pick(themeMenu, 1);
    EXPECT_EQ(manager->GetCurrentTheme(), "Dark");
    EXPECT_EQ(Shown(themeMenu), QStringList({"Светлая", "Тёмная*"}));
    EXPECT_THAT(emitted, ElementsAre("locale:ru_RU", "theme:Dark"));

    // A language the manager does not ship and so resolves to another: the menu shows
    // the user's pick, as the product hears it.
    handler->SetLocaleList({"de_DE", "fr_FR"});
    Pick(localeMenu, 1);
    EXPECT_NE(manager->GetCurrentLocale(), "fr_FR");
    EXPECT_EQ(Shown(localeMenu), QStringList({"Deutsch", "Français*", "--"}));
    EXPECT_THAT(emitted, ElementsAre("locale:ru_RU", "theme:Dark", "locale:fr_FR"));
}

TEST_F(LookAndFeelMenus, ListsGiveUncheckedEntriesAndManagerChangesMoveTheCheckSilently)
{
    EXPECT_EQ(Shown(localeMenu), QStringList({"Deutsch", "Русский", "xx_YY", "--"}));
    EXPECT_EQ(Shown(themeMenu), QStringList({"Light", "Dark"}));
    handler->SelectTheme("Missing");
    EXPECT_EQ(Shown(themeMenu), QStringList({"Light", "Dark"}));
    manager->SetLocale("de_DE");
    manager->SetTheme("Dark");
    EXPECT_EQ(Shown(localeMenu), QStringList({"Deutsch*", "Русский", "xx_YY", "--"}));
    EXPECT_EQ(Shown(themeMenu), QStringList({"Light", "Dark*"}));
    EXPECT_TRUE(emitted.empty());

    // The entries go with the handler and the manager no longer calls it (the
    // sanitizer run would catch a late call); the menu keeps its own separator.
    handler.reset();
    manager->SetLocale("ru_RU");
    EXPECT_EQ(Shown(localeMenu), QStringList({"--"}));
}

TEST_F(LookAndFeelMenus, RefreshAndNewMenusRebuildOnlyWhereAChoiceIsSelected)
{
    themeMenu.addAction("Product entry");
    handler->Refresh();
    EXPECT_EQ(Shown(themeMenu), QStringList({"Light", "Dark", "Product entry"})) << "no theme selected";
    QMenu otherThemes;
    handler->SetThemeMenu(&otherThemes);
    EXPECT_TRUE(themeMenu.isEmpty());
    EXPECT_TRUE(otherThemes.isEmpty());
    handler->SelectTheme("Dark");
    handler->Refresh();
    EXPECT_EQ(Shown(otherThemes), QStringList({"Light", "Dark*"}));
}

} // namespace Talvex::Test
