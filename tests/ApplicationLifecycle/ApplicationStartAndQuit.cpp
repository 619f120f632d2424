#include "common/ApplicationFakes.h"
#include "common/LogCapture.h"

#include <QDir>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimer>

#include <climits>
#include <stdexcept>
#include <utility>

namespace Talvex::Test {

class ApplicationStartAndQuit : public ApplicationTest {
protected:
    std::shared_ptr<FakeCustomization> QuietCustomization() const
    {
        auto customization = std::make_shared<FakeCustomization>();
        customization->skipFirstRun = true;
        customization->emailDialog = false;
        return customization;
    }
};

TEST_F(ApplicationStartAndQuit, StartWritesItsThreeFactsToTheProductStoreBeforeAnnouncingItselfOnce)
{
    const QString browser = scratch.filePath(QStringLiteral("browser.sh"));
    RecordingBrowser(scratch, TALVEX_HELPER);
    auto application = Make();
    application->SetCustomizationManager(QuietCustomization(), false);
    auto general = FileStore(scratch.filePath(QStringLiteral("general.ini")));
    auto product = FileStore(scratch.filePath(QStringLiteral("product.ini")));
    application->SetSettingsManager(general);
    application->SetProductSettingsManager(product);

    std::string pathWhenAnnounced;
    QObject::connect(application.get(), &App::Application::ApplicationStarted,
                     [&] { pathWhenAnnounced = product->GetString("Path", "<none>"); });
    QSignalSpy started(application.get(), &App::Application::ApplicationStarted);
    application->Start();
    application->Start();

    EXPECT_EQ(started.count(), 1);
    const std::string folder = QCoreApplication::applicationDirPath().toStdString() + "/";
    EXPECT_EQ(pathWhenAnnounced, folder);
    EXPECT_EQ(product->GetString("PreferredBrowser", ""), browser.toStdString());
    EXPECT_EQ(product->GetString("ArchitectBits", ""), "x" + std::to_string(sizeof(void*) * CHAR_BIT));
    for (const char* fact : {"Path", "PreferredBrowser", "ArchitectBits"}) {
        EXPECT_FALSE(general->Contains(fact)) << fact << " belongs to the product store";
    }
}

TEST_F(ApplicationStartAndQuit, NamesComeFromTheCustomizationOnceOneIsSet)
{
    auto application = Make();
    QCoreApplication::setApplicationName(QStringLiteral("plain-name"));
    EXPECT_EQ(application->ApplicationName(), QStringLiteral("plain-name"));
    EXPECT_THROW(application->GetProductNameAbout(), std::logic_error);

    auto customization = QuietCustomization();
    customization->name = "Clipforge \xC3\x9C"
                          "bersetzer";
    customization->aboutName = "Talvex Clipforge \xE2\x84\xA2";
    application->SetCustomizationManager(customization, false);
    QCoreApplication::setApplicationName(QStringLiteral("changed-later"));
    EXPECT_EQ(application->ApplicationName(), QString::fromUtf8("Clipforge \xC3\x9C"
                                                                "bersetzer"));
    EXPECT_EQ(application->GetProductNameAbout(), QString::fromUtf8("Talvex Clipforge \xE2\x84\xA2"));
}

TEST_F(ApplicationStartAndQuit, LeavingTheEventLoopStopsTheCrashSessionWhileTheApplicationLives)
{
    auto application = Make();
    // The session file as the tracker named it when the application was built.
    const QString sessionFile = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
                                QStringLiteral("/Talvex/clipforge 20.1.2/testApplicationLifecycle.ini");
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const auto recorded = [&] { return QSettings(sessionFile, QSettings::IniFormat).value(pid).toString(); };
    ASSERT_EQ(recorded().toStdString(), application->SessionId());

    QTimer::singleShot(0, application.get(), [&] { EXPECT_TRUE(application->TryToQuit()); });
    EXPECT_EQ(application->exec(), 0);
    EXPECT_TRUE(application->IsQuitting());
    EXPECT_TRUE(recorded().isEmpty()) << "the record outlived aboutToQuit";
}

// A product that set up logging before building the application has every line of the
// construction in its log already; the start must not write them again.
TEST_F(ApplicationStartAndQuit, RefusalsAtConstructionAreLoggedOnceWhenLoggingWasSetUpBefore)
{
    const auto [sessionFile, crashFolder] = [this] {
        const auto probe = Make();
        return std::pair{QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
                             QStringLiteral("/Talvex/clipforge 20.1.2/testApplicationLifecycle.ini"),
                         probe->GetCrashReportsFolder()};
    }();
    ASSERT_FALSE(crashFolder.isEmpty());
    ASSERT_TRUE(QFile::remove(sessionFile) && QDir(crashFolder).removeRecursively());
    ASSERT_TRUE(QFile::link(scratch.filePath(QStringLiteral("elsewhere.ini")), sessionFile));
    ASSERT_TRUE(QFile::link(scratch.path(), crashFolder));
    LogCapture log;
    auto application = Make();
    application->SetCustomizationManager(QuietCustomization(), false);
    application->Start();
    EXPECT_EQ(log.Count(google::GLOG_ERROR,
                        "Crash sessions are not tracked in " + sessionFile.toStdString() + ": it is a symbolic link"),
              1);
    EXPECT_EQ(log.Count(google::GLOG_ERROR,
                        "Crash reports are not kept in " + crashFolder.toStdString() + ": is a symbolic link"),
              1);
    QFile::remove(sessionFile);
    QFile::remove(crashFolder);
}

} // namespace Talvex::Test
