#include "LaunchFixture.h"
#include "common/LogCapture.h"
#include "common/WaitUntil.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>

namespace Talvex::Test {
namespace {

const char INSTALLER_MUTEX[] = "{2A662D1A-83CB-406E-BC7A-A5E8644DC1D4}";

// A helper process holding a named mutex until it is destroyed.
class MutexHolder {
public:
    explicit MutexHolder(const QString& name)
    {
        process.start(QStringLiteral(TALVEX_HELPER), {QStringLiteral("hold"), name});
    }
    ~MutexHolder()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    bool WaitHeld()
    {
        return WaitUntil(
            [this] {
                output += process.readAllStandardOutput();
                return output.contains("ready");
            },
            10000);
    }

private:
    QProcess process;
    QByteArray output;
};

// Runs the test in a current folder of its own, restored afterwards.
class CurrentFolder {
public:
    explicit CurrentFolder(const QString& path) : previous(QDir::currentPath()) { QDir::setCurrent(path); }
    ~CurrentFolder() { QDir::setCurrent(previous); }

private:
    QString previous;
};

void SetAge(const QString& path, int days)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addDays(-days), QFileDevice::FileModificationTime));
}

void Touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

} // namespace

class InstallerCheck : public LaunchTest {};

TEST_F(InstallerCheck, NoInstallerAnswersAtOnce)
{
    auto application = Launch(false);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(App::Application::CheckRunnedInstaller());
    EXPECT_LT(clock.elapsed(), 250);
}

TEST_F(InstallerCheck, RunningInstallerIsReportedAfterHalfASecondAndTheUserIsTold)
{
    auto application = Launch(false);
    const QString marker = scratch.filePath(QStringLiteral("told"));
    QFile script(scratch.filePath(QStringLiteral("InstallerMessage.sh")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("echo shown > '%1'\n").arg(marker).toUtf8());
    script.close();
    CurrentFolder current(scratch.path());
    MutexHolder installer{QLatin1String(INSTALLER_MUTEX)};
    ASSERT_TRUE(installer.WaitHeld());

    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(App::Application::CheckRunnedInstaller());
    EXPECT_GE(clock.elapsed(), 450);
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(WaitUntil([&] { return QFile::exists(marker); }, 10000)) << "the installer message was not started";
}

class TemporaryFiles : public LaunchTest {};

TEST_F(TemporaryFiles, FolderIsTheProductsTempFolderAndIsCreatedOnEveryCall)
{
    auto application = Launch(false);
    const QString expected = QDir::tempPath() + QStringLiteral("/Clipforge Test/temp/");
    EXPECT_EQ(application->GetApplicationTemporaryFilesDir(), expected);
    EXPECT_TRUE(QDir(expected).exists());

    QDir(QDir::tempPath() + QStringLiteral("/Clipforge Test")).removeRecursively();
    EXPECT_EQ(application->GetApplicationTemporaryFilesDir(), expected);
    EXPECT_TRUE(QDir(expected).exists());
}

TEST_F(TemporaryFiles, ClearingLogsTheFolderAndRemovesOnlyExpiredFiles)
{
    auto application = Launch(false);
    const QString folder = application->GetApplicationTemporaryFilesDir();
    Touch(folder + QStringLiteral("old.tmp"));
    SetAge(folder + QStringLiteral("old.tmp"), App::Application::DAYS_TO_FILE_EXPIRE + 1);
    Touch(folder + QStringLiteral("fresh.tmp"));
    SetAge(folder + QStringLiteral("fresh.tmp"), App::Application::DAYS_TO_FILE_EXPIRE - 1);
    LogCapture log;

    application->ClearApplicationTemporaryFiles(App::Application::DAYS_TO_FILE_EXPIRE);
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("old.tmp")));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("fresh.tmp")));
    EXPECT_TRUE(QDir(folder).exists());
    const std::string line = "Removing all temporary files from directory " + QDir(folder).absolutePath().toStdString();
    int logged = 0;
    for (const LogCapture::Entry& entry : log.Entries()) {
        logged += entry.severity == google::GLOG_INFO && entry.message == line;
    }
    EXPECT_EQ(logged, 1) << line;
}

} // namespace Talvex::Test
