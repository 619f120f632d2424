#include "LaunchFixture.h"
#include "common/LogCapture.h"
#include "common/WaitUntil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <functional>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace Talvex::Test {
namespace {

const char CRASHED_SESSION[] = "200101-000000-111111";

class RefusingApplication : public App::Application {
public:
    using App::Application::Application;

private:
    bool TryToQuitImpl() override { return false; }
};

// A script that records that it ran into `marker`, closed to other users whatever the
// umask.
void WriteScript(const QString& path, const QString& marker)
{
    QFile script(path);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("echo ran > '%1'\n").arg(marker).toUtf8());
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                          QFileDevice::ReadOther);
}

} // namespace

// Within this process an accidental restart would start the test program itself: the
// arguments make such a copy run no test and leave a report file behind as a trace.
TEST_F(LaunchTest, RestartNeedsConfirmationAndAProductThatQuits)
{
    // An application whose crash history holds one session of an earlier run; the
    // session file lives under the name the application has when it is built.
    QCoreApplication::setApplicationName(QStringLiteral("restart-test"));
    QSettings(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
                  QStringLiteral("/Talvex/clipforge 20.1.2/testApplicationLaunch.ini"),
              QSettings::IniFormat)
        .setValue(QStringLiteral("1"), QLatin1String(CRASHED_SESSION));
    auto application = Launch<RefusingApplication>(false);
    ASSERT_EQ(application->GetCrashedSessions(), std::deque<std::string>{CRASHED_SESSION});
    const QString trace = scratch.filePath(QStringLiteral("copy.json"));
    const QString arguments = QStringLiteral("--gtest_filter=-* --gtest_output=json:") + trace;

    QTimer cancel;
    QString title, text;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            cancel.stop();
            title = box->windowTitle();
            text = box->text();
            box->button(QMessageBox::Cancel)->click();
        }
    });
    cancel.start(10);
    application->TryToRestart(Enums::Interactive, arguments);
    EXPECT_EQ(title, QStringLiteral("Attention"));
    EXPECT_TRUE(text.contains(QStringLiteral("This will restart the application.")));
    EXPECT_EQ(application->GetCrashedSessions(), std::deque<std::string>{CRASHED_SESSION}) << "cancelled";

    application->TryToRestart(Enums::Silent, arguments);
    EXPECT_TRUE(application->GetCrashedSessions().empty()) << "the history goes before the product is asked";
    EXPECT_FALSE(application->IsQuitting());
    EXPECT_FALSE(WaitUntil([&] { return QFile::exists(trace); }, 1500)) << "a copy was started";
}

// The helper, copied into a folder whose name has a space, restarts itself; the copy
// writes the arguments it was given to the record file.
TEST_F(LaunchTest, RestartedCopyReceivesTheArgumentsAfterItsQuotedPath)
{
    const QString folder = scratch.filePath(QStringLiteral("Launch Helper"));
    const QString program = folder + QStringLiteral("/LaunchHelper");
    const QString record = scratch.filePath(QStringLiteral("restarted.txt"));
    ASSERT_TRUE(QDir().mkpath(folder) && QFile::copy(QStringLiteral(TALVEX_HELPER), program));
    qputenv("TALVEX_RESTART_RECORD", QFile::encodeName(record));

    const std::pair<QString, QByteArray> cases[] = {{QStringLiteral("alpha \"two words\""), "alpha\ntwo words\n--\n"},
                                                    {QString(), "--\n"}};
    for (const auto& [arguments, expected] : cases) {
        QFile::remove(record);
        QProcess helper;
        helper.start(program, {QStringLiteral("restart"), arguments});
        EXPECT_TRUE(helper.waitForFinished(20000));
        EXPECT_EQ(helper.exitCode(), 0) << "the helper did not quit for the restart";
        EXPECT_TRUE(WaitUntil([&] { return FileBytes(record).endsWith("--\n"); }, 20000)) << "no copy started";
        EXPECT_EQ(FileBytes(record), expected);
    }
}

// The helper is copied into a product folder with its own message script and run from
// a shared folder where another user has planted a script of the same name. A script
// that another user could have put there or changed is not run, but still an installer
// is said to run.
TEST_F(LaunchTest, InstallerCheckAnswersAfterHalfASecondAndRunsOnlyTheProgramsOwnUnchangeableScript)
{
    auto application = Make();
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(App::Application::CheckRunnedInstaller());
    EXPECT_LT(clock.elapsed(), 250);

    const QString shared = scratch.filePath(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkpath(shared));
    const QString beside = scratch.filePath(QStringLiteral("beside")),
                  planted = scratch.filePath(QStringLiteral("planted"));
    WriteScript(shared + QStringLiteral("/InstallerMessage.sh"), planted);
    // Builds a product folder with the helper and its script, arranges it, and runs
    // the check there; returns what the helper wrote to its error output.
    const auto checkIn = [&](const QString& name, const std::function<void(const QString&)>& arrange) {
        const QString product = scratch.filePath(name);
        EXPECT_TRUE(QDir().mkpath(product) && QFile::copy(QStringLiteral(TALVEX_HELPER), product + "/LaunchHelper"));
        WriteScript(product + QStringLiteral("/InstallerMessage.sh"), beside);
        arrange(product);
        QProcess check;
        check.setWorkingDirectory(shared);
        check.start(product + QStringLiteral("/LaunchHelper"), {QStringLiteral("installer")});
        EXPECT_TRUE(check.waitForFinished(10000));
        EXPECT_EQ(check.readAllStandardOutput().trimmed(), "running") << name.toStdString();
        return QString::fromUtf8(check.readAllStandardError());
    };

    QProcess installer;
    installer.start(QStringLiteral(TALVEX_HELPER),
                    {QStringLiteral("hold"), QStringLiteral("{2A662D1A-83CB-406E-BC7A-A5E8644DC1D4}")});
    ASSERT_TRUE(installer.waitForReadyRead(10000) && installer.readAll().contains("ready"));
    clock.restart();
    EXPECT_TRUE(App::Application::CheckRunnedInstaller());
    EXPECT_GE(clock.elapsed(), 450);
    EXPECT_LT(clock.elapsed(), 2000);

    checkIn(QStringLiteral("product"), [](const QString&) {});
    EXPECT_TRUE(WaitUntil([&] { return QFile::exists(beside); }, 10000)) << "the product's own script was not run";
    EXPECT_FALSE(QFile::exists(planted)) << "the script planted in the current folder ran";

    const auto others = QFileDevice::WriteGroup | QFileDevice::WriteOther;
    std::vector<std::pair<QString, std::function<void(const QString&)>>> refused = {
        {QStringLiteral("writable-script"),
         [&](const QString& product) {
             QFile script(product + QStringLiteral("/InstallerMessage.sh"));
             script.setPermissions(script.permissions() | others);
         }},
        {QStringLiteral("sticky-shared-folder"),
         [](const QString& product) { EXPECT_EQ(::chmod(QFile::encodeName(product).constData(), 01777), 0); }},
    };
    if (::geteuid() == 0) {
        refused.emplace_back(QStringLiteral("foreign-script"), [](const QString& product) {
            const QString script = product + QStringLiteral("/InstallerMessage.sh");
            EXPECT_EQ(::chown(QFile::encodeName(script).constData(), 65534, 65534), 0);
        });
    }
    for (const auto& [name, arrange] : refused) {
        QFile::remove(beside);
        const QString errors = checkIn(name, arrange);
        EXPECT_TRUE(errors.contains(QStringLiteral("/%1/InstallerMessage.sh").arg(name))) << errors.toStdString();
        EXPECT_FALSE(WaitUntil([&] { return QFile::exists(beside); }, 1000)) << name.toStdString() << " ran";
    }
    installer.closeWriteChannel();
    installer.waitForFinished(5000);
}

TEST_F(LaunchTest, TemporaryFolderIsRecreatedOnEveryCallAndClearingRemovesOnlyExpiredFiles)
{
    auto application = Launch(false);
    const QString folder = QDir::tempPath() + QStringLiteral("/Clipforge Test/temp/");
    QDir(QDir::tempPath() + QStringLiteral("/Clipforge Test")).removeRecursively();
    EXPECT_EQ(application->GetApplicationTemporaryFilesDir(), folder);
    EXPECT_TRUE(QDir(folder).exists());
    EXPECT_EQ(QFileInfo(folder).permissions() & 0x0077, QFileDevice::Permissions()) << "owner-only";

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
    EXPECT_EQ(log.Count(google::GLOG_INFO,
                        "Removing all temporary files from directory " + QDir(folder).absolutePath().toStdString()),
              1);
}

// Another local user gets to the shared temporary folder first and plants links to the
// victim's files, at the product folder or at its temp folder.
TEST_F(LaunchTest, PlantedLinksInTheSharedTemporaryFolderAreNeverFollowed)
{
    auto application = Launch(false);
    const QString product = QDir::tempPath() + QStringLiteral("/Clipforge Test");
    const QString documents = QDir::tempPath() + QStringLiteral("/documents");
    QDir().mkpath(documents);
    QFile thesis(documents + QStringLiteral("/thesis.odt"));
    ASSERT_TRUE(thesis.open(QIODevice::WriteOnly));
    ASSERT_TRUE(thesis.setFileTime(QDateTime::currentDateTime().addDays(-60), QFileDevice::FileModificationTime));
    thesis.close();
    const QString privateFolder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                                  QStringLiteral("/Clipforge Test/temp/");

    for (const QString& planted : {product + QStringLiteral("/temp"), product}) {
        QDir(product).removeRecursively();
        QFile::remove(product);
        QDir().mkpath(QFileInfo(planted).path());
        ASSERT_TRUE(QFile::link(documents, planted));
        LogCapture log;
        EXPECT_EQ(application->GetApplicationTemporaryFilesDir(), privateFolder) << planted.toStdString();
        application->ClearApplicationTemporaryFiles(App::Application::DAYS_TO_FILE_EXPIRE);
        EXPECT_TRUE(thesis.exists()) << planted.toStdString();
        EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "is a symbolic link")) << planted.toStdString();
        QFile::remove(planted);
    }
}

} // namespace Talvex::Test
