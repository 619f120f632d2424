// A store that cannot be saved loses every change of the run; the only place that can
// say so is the construction, since the manager never syncs.
#include "SettingsTestSupport.h"

#include "common/LogCapture.h"
#include "common/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using Talvex::App::SettingsManager;
using Talvex::Test::LogCapture;
using Talvex::Test::WaitUntil;

namespace {

const char* const LOST = "changes will not be kept";

// Permissions do not bind root, so a root run checks the permission cases as this
// unprivileged user, in a folder it owns where it can reach it: our own test folder is
// closed to other users.
const uid_t NOBODY = 65534;

bool RunsAsRoot()
{
    return ::geteuid() == 0;
}

QTemporaryDir ScratchFolder()
{
    return RunsAsRoot() ? QTemporaryDir(QStringLiteral("/var/tmp/talvex-unwritable-XXXXXX")) : QTemporaryDir();
}

enum class Blocked { FolderIsAFile, ReadOnlyFile, ReadOnlyFolder };

class SettingsUnwritableStore : public ::testing::TestWithParam<Blocked> {
protected:
    void TearDown() override { ::chmod(QFile::encodeName(folder.path()).constData(), 0700); }

    // Where the store goes, made unwritable as the parameter says.
    QString BlockedStore() const
    {
        const QString file = folder.filePath(QStringLiteral("store.ini"));
        QFile existing(file);
        switch (GetParam()) {
        case Blocked::FolderIsAFile:
            EXPECT_TRUE(existing.open(QIODevice::WriteOnly));
            return file + QStringLiteral("/inner/store.ini");
        case Blocked::ReadOnlyFile:
            EXPECT_TRUE(existing.open(QIODevice::WriteOnly) && existing.write("[General]\nkept=1\n") > 0);
            EXPECT_EQ(::chmod(QFile::encodeName(file).constData(), 0444), 0);
            return file;
        case Blocked::ReadOnlyFolder:
            EXPECT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 0555), 0);
            return file;
        }
        return file;
    }

    void CheckBlockedStore() const
    {
        const QString file = BlockedStore();
        LogCapture log;
        SettingsManager store(file, QSettings::IniFormat);
        EXPECT_EQ(log.Count(google::GLOG_ERROR,
                            "Settings store " + QDir::toNativeSeparators(file).toStdString() + " cannot be written"),
                  1);
        EXPECT_TRUE(log.Contains(google::GLOG_ERROR, LOST));
        store.SetInt("count", 7);
        EXPECT_EQ(store.GetInt("count", 0), 7);
    }

    // The same check in a child that gave up root for good. Everything it uses is made
    // after the fork (the blocked store, the manager, the log sink); its failures print
    // there and come back as its exit status.
    void CheckAsNobody() const
    {
        ASSERT_EQ(::chown(QFile::encodeName(folder.path()).constData(), NOBODY, NOBODY), 0);
        const pid_t child = ::fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            const bool dropped = ::setgroups(0, nullptr) == 0 && ::setresgid(NOBODY, NOBODY, NOBODY) == 0 &&
                                 ::setresuid(NOBODY, NOBODY, NOBODY) == 0;
            if (dropped) {
                // The suite's log files sit in root's private folder; the sink is enough.
                for (google::LogSeverity severity = 0; severity < google::NUM_SEVERITIES; ++severity) {
                    google::SetLogDestination(severity, "");
                }
                CheckBlockedStore();
            }
            ::_exit(!dropped ? 2 : HasFailure() ? 1 : 0);
        }
        int status = 0;
        const bool ended = WaitUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 30000);
        if (!ended) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
        }
        ASSERT_TRUE(ended) << "the unprivileged check did not end";
        ASSERT_TRUE(WIFEXITED(status)) << "the unprivileged check stopped with status " << status;
        EXPECT_NE(WEXITSTATUS(status), 2) << "could not give up root";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the unprivileged check failed (see its output above)";
    }

    QTemporaryDir folder = ScratchFolder();
};

TEST_P(SettingsUnwritableStore, IsNamedAtConstructionAndStillKeepsValuesWithinTheRun)
{
    if (GetParam() != Blocked::FolderIsAFile && RunsAsRoot()) {
        CheckAsNobody();
    } else {
        CheckBlockedStore();
    }
}

std::string BlockedName(const ::testing::TestParamInfo<Blocked>& info)
{
    static const char* const names[] = {"FolderIsAFile", "ReadOnlyFile", "ReadOnlyFolder"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Blocked, SettingsUnwritableStore,
                         ::testing::Values(Blocked::FolderIsAFile, Blocked::ReadOnlyFile, Blocked::ReadOnlyFolder),
                         BlockedName);

// No false alarm for the usual cases: a new store in a folder yet to be made, and a
// store that exists.
TEST(SettingsWritableStore, RaisesNoAlarm)
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("new/deeper/store.ini"));
    LogCapture log;
    SettingsManager(file, QSettings::IniFormat).SetInt("count", 7);
    SettingsManager(file, QSettings::IniFormat).SetInt("count", 8);
    SettingsManager(QStringLiteral("SettingsTestApp"), QStringLiteral("SettingsTestOrg")).SetInt("count", 7);
    EXPECT_FALSE(log.Contains(google::GLOG_ERROR, LOST));
    EXPECT_EQ(SettingsManager(file, QSettings::IniFormat).GetInt("count", 0), 8);
}

} // namespace
