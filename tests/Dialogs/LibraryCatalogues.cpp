#include "App/Application/Dialogs/ConfirmationAlertBox.h"
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
    std::shared_ptr<App::LookAndFeelManager> ShipAndLoad(const char* locale)
    {
        const QString folder = scratch.filePath(QStringLiteral("resources/locales/") + locale);
        QDir().mkpath(folder);
        const QString catalogue = QStringLiteral("talvex_%1.qm").arg(QLatin1String(locale));
        EXPECT_TRUE(QFile::copy(QStringLiteral(TALVEX_CATALOGUE_DIR "/") + catalogue, folder + "/" + catalogue));
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

TEST_F(LibraryCatalogues, TheFollowEntryOfTheThemeMenuIsTitledInTheLanguageLoaded)
{
    const auto lookAndFeel = ShipAndLoad("de_DE");
    QMenu menu;
    App::LookAndFeelHandler handler(lookAndFeel, nullptr, &menu);
    handler.OfferFollowSystem(std::make_shared<App::DesktopThemeFollower>(lookAndFeel));
    ASSERT_EQ(menu.actions().size(), 2);
    EXPECT_EQ(menu.actions().at(0)->text(), "Dem System folgen");
}

} // namespace
} // namespace Talvex::Test
