#include "LanguageFixture.h"

#include "App/Application/LookAndFeel/LookAndFeelHandler.h"

#include <QAction>
#include <QMenu>
#include <QMetaMethod>
#include <QTest>

using ::testing::ElementsAre;

namespace Talvex::Test {

// Real manager, real menus: three shipped languages and two themes with titles in
// English, German and Russian.
class LookAndFeelMenus : public LanguageFixture {
protected:
    void SetUp() override
    {
        Ship("de_DE");
        Ship("ru_RU");
        Ship("xx_YY");
        WriteDescription("Light", R"({"en_US": "Light", "de_DE": "Hell", "ru_RU": "Светлая"})");
        WriteDescription("Dark", R"({"en_US": "Dark", "de_DE": "Dunkel", "ru_RU": "Тёмная"})");
        MakeManager().Initialize("en_US", "Light");
        handler = std::make_unique<App::LookAndFeelHandler>(manager, &localeMenu, &themeMenu, nullptr);
        QObject::connect(handler.get(), &App::LookAndFeelHandler::LocaleChanged,
                         [this](const std::string& locale) { emitted.push_back("locale:" + locale); });
        QObject::connect(handler.get(), &App::LookAndFeelHandler::ThemeChanged,
                         [this](const std::string& theme) { emitted.push_back("theme:" + theme); });
    }

    void WriteDescription(const QString& theme, const QByteArray& json) const
    {
        ASSERT_TRUE(QDir().mkpath(root.filePath("resources/themes/" + theme)));
        QFile file(root.filePath("resources/themes/" + theme + "/theme.json"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(json) == json.size());
    }

    void FillFromManager()
    {
        handler->SetLocaleList({"de_DE", "ru_RU", "xx_YY"});
        handler->SetThemeList({"Light", "Dark"});
        handler->SelectLocale(manager->GetCurrentLocale());
        handler->SelectTheme(manager->GetCurrentTheme());
    }

    static QAction* Entry(const QMenu& menu, const QString& name)
    {
        for (QAction* action : menu.actions()) {
            if (action->data().toString() == name) {
                return action;
            }
        }
        return nullptr;
    }

    static QStringList Titles(const QMenu& menu)
    {
        QStringList titles;
        for (const QAction* action : menu.actions()) {
            titles.append(action->isSeparator() ? QStringLiteral("--") : action->text());
        }
        return titles;
    }

    static QStringList Checked(const QMenu& menu)
    {
        QStringList names;
        for (const QAction* action : menu.actions()) {
            if (action->isChecked()) {
                names.append(action->data().toString());
            }
        }
        return names;
    }

    // Opens the menu and clicks the entry, as a user picks it.
    static void Pick(QMenu& menu, const QString& name)
    {
        QAction* action = Entry(menu, name);
        ASSERT_NE(action, nullptr);
        menu.popup(QPoint(10, 10));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
        QTest::mouseClick(&menu, Qt::LeftButton, Qt::NoModifier, menu.actionGeometry(action).center());
    }

    QMenu localeMenu;
    QMenu themeMenu;
    std::unique_ptr<App::LookAndFeelHandler> handler;
    std::vector<std::string> emitted; // "locale:<name>", "theme:<name>"
};

TEST_F(LookAndFeelMenus, ListsFillTheMenusWithUncheckedEntriesUntilOneIsSelected)
{
    localeMenu.addAction("Product entry");
    handler->SetLocaleList({"de_DE", "ru_RU", "xx_YY"});
    handler->SetThemeList({"Light", "Dark"});

    EXPECT_EQ(Titles(localeMenu), QStringList({"Deutsch", QString::fromUtf8("Русский"), "xx_YY", "--"}));
    EXPECT_EQ(Titles(themeMenu), QStringList({"Light", "Dark"}));
    for (QAction* action : localeMenu.actions() + themeMenu.actions()) {
        EXPECT_TRUE(action->isSeparator() || action->isCheckable());
    }
    EXPECT_TRUE(Checked(localeMenu).isEmpty());
    EXPECT_TRUE(Checked(themeMenu).isEmpty());

    handler->SelectLocale("ru_RU");
    handler->SelectTheme("Missing");
    EXPECT_EQ(Checked(localeMenu), QStringList({"ru_RU"}));
    EXPECT_TRUE(Checked(themeMenu).isEmpty()) << "a name without an entry checks nothing";
}

TEST_F(LookAndFeelMenus, PickedLanguageIsAppliedThenTheThemesAreRetitledAndTheChoiceAnnounced)
{
    FillFromManager();
    Pick(localeMenu, "ru_RU");
    EXPECT_EQ(manager->GetCurrentLocale(), "ru_RU");
    EXPECT_EQ(Titles(themeMenu), QStringList({QString::fromUtf8("Светлая"), QString::fromUtf8("Тёмная")}));
    EXPECT_EQ(Checked(localeMenu), QStringList({"ru_RU"}));
    EXPECT_THAT(emitted, ElementsAre("locale:ru_RU"));

    Pick(themeMenu, "Dark");
    EXPECT_EQ(manager->GetCurrentTheme(), "Dark");
    EXPECT_EQ(Checked(themeMenu), QStringList({"Dark"}));
    EXPECT_THAT(emitted, ElementsAre("locale:ru_RU", "theme:Dark"));
}

TEST_F(LookAndFeelMenus, ChangesMadeThroughTheManagerMoveTheCheckMarkSilently)
{
    FillFromManager();
    manager->SetLocale("de_DE");
    manager->SetTheme("Dark");
    EXPECT_EQ(Checked(localeMenu), QStringList({"de_DE"}));
    EXPECT_EQ(Checked(themeMenu), QStringList({"Dark"}));
    EXPECT_TRUE(emitted.empty());

    // The entries go with the handler; the menu keeps what it owns, and the manager
    // no longer calls the handler (a sanitizer run would catch a late call).
    handler.reset();
    EXPECT_EQ(Titles(localeMenu), QStringList({"--"}));
    manager->SetLocale("ru_RU");
    EXPECT_EQ(manager->GetCurrentLocale(), "ru_RU");
}

TEST_F(LookAndFeelMenus, RefreshAndMenuChangesRebuildOnlyWhereAChoiceIsSelected)
{
    handler->SetThemeList({"Light", "Dark"});
    themeMenu.addAction("Product entry");
    handler->Refresh();
    EXPECT_EQ(Titles(themeMenu), QStringList({"Light", "Dark", "Product entry"})) << "no theme selected";

    QMenu otherLocales;
    QMenu otherThemes;
    handler->SetThemeMenu(&otherThemes);
    EXPECT_TRUE(themeMenu.actions().isEmpty()) << "the old menu is cleared";
    EXPECT_TRUE(otherThemes.actions().isEmpty()) << "filled only once a theme is selected";

    handler->SetLocaleList({"de_DE", "ru_RU"});
    handler->SelectLocale("de_DE");
    handler->SelectTheme("Dark");
    handler->SetLocaleMenu(&otherLocales);
    EXPECT_TRUE(localeMenu.actions().isEmpty());
    EXPECT_EQ(Titles(otherLocales), QStringList({"Deutsch", QString::fromUtf8("Русский"), "--"}));
    EXPECT_EQ(Checked(otherLocales), QStringList({"de_DE"}));
    EXPECT_EQ(Checked(otherThemes), QStringList({"Dark"}));
}

TEST_F(LookAndFeelMenus, MetaObjectOffersTheSignalsAndSlotsProductsConnectByName)
{
    const QMetaObject& meta = App::LookAndFeelHandler::staticMetaObject;
    EXPECT_STREQ(meta.className(), "Talvex::App::LookAndFeelHandler");
    QStringList methods;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        methods.append(QString::fromLatin1(meta.method(i).methodSignature()));
    }
    EXPECT_EQ(methods,
              QStringList({"LocaleChanged(std::string)", "ThemeChanged(std::string)", "OnInnerLocaleChanged(QAction*)",
                           "OnInnerThemeChanged(QAction*)", "Retranslate()"}));
    EXPECT_EQ(handler->qt_metacast("ILookAndFeelObserver"),
              static_cast<void*>(static_cast<App::ILookAndFeelObserver*>(handler.get())));
    EXPECT_NE(QMetaType::type("std::string"), int(QMetaType::UnknownType));
}

} // namespace Talvex::Test
