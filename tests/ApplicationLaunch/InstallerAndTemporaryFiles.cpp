#include "LaunchFixture.h"
#include "common/LogCapture.h"
#include "common/WaitUntil.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>

namespace Talvex::Test {

class InstallerCheck : public LaunchTest {};

TEST_F(InstallerCheck, NoInstallerAnswersAtOnce)
{
    auto application = Make();
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(App::Application::CheckRunnedInstaller());
    EXPECT_LT(clock.elapsed(), 250);
}

TEST_F(InstallerCheck, RunningInstallerIsReportedAfterHalfASecondAndTheUserIsTold)
{
    auto application = Make();
    // The installer message script is looked up in the current folder.
    const QString marker = scratch.filePath(QStringLiteral("told"));
    QFile script(scratch.filePath(QStringLiteral("InstallerMessage.sh")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("echo shown > '%1'\n").arg(marker).toUtf8());
    script.close();
    const QString previousFolder = QDir::currentPath();
    QDir::setCurrent(scratch.path());

    QProcess installer;
    installer.start(QStringLiteral(TALVEX_HELPER),
                    {QStringLiteral("hold"), QStringLiteral("{2A662D1A-83CB-406E-BC7A-A5E8644DC1D4}")});
    ASSERT_TRUE(installer.waitForReadyRead(10000) && installer.readAll().contains("ready"));
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(App::Application::CheckRunnedInstaller());
    EXPECT_GE(clock.elapsed(), 450);
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(WaitUntil([&] { return QFile::exists(marker); }, 10000)) << "the installer message was not started";
    installer.closeWriteChannel();
    installer.waitForFinished(5000);
    QDir::setCurrent(previousFolder);
}

TEST_F(LaunchTest, TemporaryFolderIsRecreatedOnEveryCallAndClearingRemovesOnlyExpiredFiles)
{
    auto application = Launch(false);
    const QString folder = QDir::tempPath() + QStringLiteral("/Clipforge Test/temp/");
    QDir(QDir::tempPath() + QStringLiteral("/Clipforge Test")).removeRecursively();
    EXPECT_EQ(application->GetApplicationTemporaryFilesDir(), folder);
    EXPECT_TRUE(QDir(folder).exists());

    for (const auto& [name, age] : {std::pair{"old.tmp", App::Application::DAYS_TO_FILE_EXPIRE + 1},
                                    std::pair{"fresh.tmp", App::Application::DAYS_TO_FILE_EXPIRE - 1}}) {
        QFile file(folder + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addDays(-age), QFileDevice::FileModificationTime));
    }
    LogCapture log;
    application->ClearApplicationTemporaryFiles(App::Application::DAYS_TO_FILE_EXPIRE);
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("old.tmp")));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("fresh.tmp")));
    const std::string line = "Removing all temporary files from directory " + QDir(folder).absolutePath().toStdString();
    int logged = 0;
    for (const LogCapture::Entry& entry : log.Entries()) {
        logged += entry.severity == google::GLOG_INFO && entry.message == line;
    }
    EXPECT_EQ(logged, 1) << line;
}

} // namespace Talvex::Test
