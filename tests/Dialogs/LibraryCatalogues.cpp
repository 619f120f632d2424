#include "App/Application/Dialogs/ConfirmationAlertBox.h"
#include "App/Application/Dialogs/Informer.h"
#include "App/Application/Dialogs/MacMenuActionHandler.h"
#include "App/Application/LookAndFeel/DesktopThemeFollower.h"
#include "App/Application/LookAndFeel/LookAndFeelHandler.h"
#include "App/Application/RestartApplication.h"
#include "DialogDriver.h"
#include "common/ApplicationFakes.h"

#include <QMenu>
#include <QPixmap>

namespace Talvex::Test {
namespace {

// A product that ships the library's catalogue in its German locale folder, as the
// sample product does, and the manager that loads it.
class LibraryCatalogues : public ApplicationTest {
protected:
    void Ship(const char* locale)
    {
        const QString folder = scratch.filePath(QStringLiteral("resources/locales/") + locale);
        QDir().mkpath(folder);
        const QString catalogue = QStringLiteral("talvex_%1.qm").arg(QLatin1String(locale));
        EXPECT_TRUE(QFile::copy(QStringLiteral(TALVEX_CATALOGUE_DIR "/") + catalogue, folder + "/" + catalogue));
    }

    std::shared_ptr<App::LookAndFeelManager> ShipAndLoad(const char* locale)
    {
        Ship(locale);
        return LookAndFeelIn(scratch.path(), locale);
    }

    std::unique_ptr<App::Application> application = Make();
};

TEST_F(LibraryCatalogues, TheRestartQuestionAsksInGermanAndCancellingKeepsTheApplication)
{
    const auto lookAndFeel = ShipAndLoad("de_DE");
    QString title, text, ok, cancel;
    DialogDriver driver([&](QMessageBox& box) {
        title = box.windowTitle();
        text = box.text();
        ok = box.button(QMessageBox::Ok)->text();
        cancel = box.button(QMessageBox::Cancel)->text();
        Press(box, QMessageBox::Cancel);
    });
    App::RestartApplication(Enums::Interactive, QPixmap(), QString());
    ASSERT_TRUE(driver.Acted());
    EXPECT_EQ(title, "Achtung");
    EXPECT_EQ(text, "<b>Die Anwendung wird neu gestartet.</b><br>Möchten Sie fortfahren?");
    EXPECT_EQ(ok, "OK");
    EXPECT_EQ(cancel, "Abbrechen");
    EXPECT_FALSE(application->IsQuitting());
}

TEST_F(LibraryCatalogues, TheConfirmationCheckBoxFollowsTheLanguageAndItsButtonsToo)
{
    auto lookAndFeel = ShipAndLoad("ru_RU");
    App::ConfirmationAlertBox box(nullptr, Util::AlertBox::Question, "Title", "Text",
                                  QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.checkBox()->text(), "Больше не показывать");
    EXPECT_EQ(box.button(QMessageBox::No)->text(), "&Нет");
    lookAndFeel.reset(); // takes its catalogues out of the application
    App::ConfirmationAlertBox english(nullptr, Util::AlertBox::Question, "Title", "Text", QMessageBox::Yes);
    EXPECT_EQ(english.checkBox()->text(), "Don't show this again");
}

// Qt 6 no longer declares trUtf8; these classes still offer it, translating through
// their own context exactly as tr does (the source text is UTF-8, the count fills %n).
TEST_F(LibraryCatalogues, TrUtf8TranslatesThroughTheClassContextAsTrDoes)
{
    const auto lookAndFeel = ShipAndLoad("de_DE");
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    const char* const copied = "Email address has been copied to the clipboard";
    EXPECT_EQ(App::Informer::trUtf8(copied), "Die E-Mail-Adresse wurde in die Zwischenablage kopiert");
    EXPECT_EQ(App::Application::trUtf8("Grüße", "greeting"), QString::fromUtf8("Grüße"));
    EXPECT_EQ(App::MacMenuActionHandler::trUtf8("%n windows", nullptr, 3), "3 windows");
    QT_WARNING_POP
}

TEST_F(LibraryCatalogues, TheFollowEntryOfTheThemeMenuIsTitledInTheLanguageLoaded)
{
    const auto lookAndFeel = ShipAndLoad("de_DE");
    QMenu menu;
    App::LookAndFeelHandler handler(lookAndFeel, nullptr, &menu);
    handler.OfferFollowSystem(std::make_shared<App::DesktopThemeFollower>(lookAndFeel));
    ASSERT_EQ(menu.actions().size(), 2);
    EXPECT_EQ(menu.actions().at(0)->text(), "Dem System folgen");
}

TEST_F(LibraryCatalogues, TheFollowEntryTakesTheLanguageOfTheMenuRebuiltAfterALanguageChange)
{
    Ship("de_DE");
    const auto lookAndFeel = ShipAndLoad("ru_RU");
    QMenu menu;
    App::LookAndFeelHandler handler(lookAndFeel, nullptr, &menu);
    handler.OfferFollowSystem(std::make_shared<App::DesktopThemeFollower>(lookAndFeel));
    EXPECT_EQ(menu.actions().at(0)->text(), "Как в системе");
    lookAndFeel->SetLocale("de_DE");
    handler.SetThemeList({});
    ASSERT_EQ(menu.actions().size(), 2);
    EXPECT_EQ(menu.actions().at(0)->text(), "Dem System folgen");
}

} // namespace
} // namespace Talvex::Test
