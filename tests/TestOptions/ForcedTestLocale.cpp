// --test-locale against a product that sets its own language before or after the start.
#include "ApplicationWithOptions.h"

#include "App/Application/LookAndFeel/ILookAndFeelObserver.h"
#include "App/Application/LookAndFeel/LookAndFeelHandler.h"

#include <QAction>
#include <QMenu>

#include <gmock/gmock.h>

namespace Talvex::Test {
namespace {

using ::testing::ElementsAre;

// German forced; German and Russian shipped, with one theme, Light.
class ForcedTestLocale : public ApplicationWithOptions, public App::ILookAndFeelObserver {
protected:
    ForcedTestLocale()
    {
        Make({QStringLiteral("--test-locale=de_DE")});
        for (const char* locale : {"de_DE", "ru_RU"}) {
            QDir().mkpath(Path(QStringLiteral("resources/locales/") + locale));
        }
        QDir().mkpath(Path(QStringLiteral("resources/themes/Light")));
        QFile description(Path(QStringLiteral("resources/themes/Light/theme.json")));
        EXPECT_TRUE(description.open(QIODevice::WriteOnly) && description.write(R"({"en_US": "Light"})") > 0);
        description.close();
        manager = std::make_shared<App::LookAndFeelManager>(ioPath(scratch.path().toStdString()), "theme.json",
                                                            std::list<std::string>());
        manager->RegisterObserver(this);
        application->SetLookAndFeel(manager);
    }

    ~ForcedTestLocale() override { manager->UnregisterObserver(this); }

    void OnLocaleChanged(const std::string& locale) override { told.push_back("locale:" + locale); }
    void OnThemeChanged(const std::string& theme) override { told.push_back("theme:" + theme); }

    std::shared_ptr<App::LookAndFeelManager> manager;
    std::vector<std::string> told;
};

TEST_F(ForcedTestLocale, LanguageTheProductAsksForBeforeOrAfterTheStartGivesWayToTheForcedOne)
{
    manager->Initialize("ru_RU", "Light");
    EXPECT_EQ(manager->GetCurrentLocale(), "de_DE") << "the first window is already built in it";
    application->Start();
    manager->SetLocale("ru_RU");
    manager->Initialize("ru_RU", "Light");
    EXPECT_EQ(manager->GetCurrentLocale(), "de_DE");
    EXPECT_THAT(told, ElementsAre("locale:de_DE", "theme:Light", "theme:Light"));
}

TEST_F(ForcedTestLocale, ThemeBuiltBeforeAnyLanguageIsRebuiltInTheForcedOneAtTheStart)
{
    manager->SetTheme("Light");
    application->Start();
    EXPECT_EQ(manager->GetCurrentLocale(), "de_DE");
    EXPECT_THAT(told, ElementsAre("theme:Light", "locale:de_DE", "theme:Light"));
}

TEST_F(ForcedTestLocale, LanguageMenuKeepsTheLanguageInUseCheckedWhenAnotherIsPicked)
{
    manager->Initialize("", "Light");
    QMenu menu;
    App::LookAndFeelHandler handler(manager, &menu, nullptr);
    std::vector<std::string> emitted;
    QObject::connect(&handler, &App::LookAndFeelHandler::LocaleChanged,
                     [&emitted](const std::string& locale) { emitted.push_back(locale); });
    handler.SetLocaleList(manager->GetLocales());
    handler.SelectLocale(manager->GetCurrentLocale());

    QStringList checked;
    for (QAction* action : menu.actions()) {
        if (action->data() == QStringLiteral("ru_RU")) {
            action->trigger();
        }
    }
    for (const QAction* action : menu.actions()) {
        if (action->isChecked()) {
            checked << action->data().toString();
        }
    }
    EXPECT_EQ(checked, QStringList{QStringLiteral("de_DE")});
    EXPECT_THAT(emitted, ElementsAre("ru_RU")) << "the user's choice still reaches the product";
}

} // namespace
} // namespace Talvex::Test
