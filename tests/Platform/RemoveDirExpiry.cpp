#include "Platform/Util/RemoveDir.h"

#include "common/LogCapture.h"
#include "common/OtherUserProgram.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Talvex::Util::RemoveDir;

namespace {

class RemoveDirExpiry : public ::testing::Test {
protected:
    QString Path(const QString& relative) const { return temp.filePath(relative); }
    bool Exists(const QString& relative) const { return QFileInfo::exists(Path(relative)); }

    // Sets the entry's own modification time `days` days back (links are not followed).
    void Age(const QString& relative, int days) const
    {
        const qint64 when = QDateTime::currentSecsSinceEpoch() - qint64(days) * 24 * 60 * 60 - 60;
        const timespec times[2] = {{when, 0}, {when, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(Path(relative)).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
    }

    void File(const QString& relative, int days) const
    {
        QDir().mkpath(QFileInfo(Path(relative)).path());
        ASSERT_TRUE(QFile(Path(relative)).open(QIODevice::WriteOnly));
        Age(relative, days);
    }

    QTemporaryDir temp;
};

} // namespace

TEST_F(RemoveDirExpiry, RemovesOnlyExpiredEntriesAtEveryDepthAndNeverFollowsLinks)
{
    for (const char* old : {"r/.old.txt", "r/sub/deeper/old.bin", "r/stale/in/old"}) {
        File(old, 10);
    }
    File("r/new.txt", 1);
    File("r/sub/deeper/new.bin", 0);
    Age("r/stale/in", 10);
    Age("r/stale", 10);
    QDir().mkpath(Path("r/fresh-empty"));
    File("r/stale-used/new.txt", 0);
    Age("r/stale-used", 10);
    File("outside/precious.txt", 100);
    ASSERT_TRUE(QFile::link(Path("outside"), Path("r/to-folder")));
    Age("r/to-folder", 100);

    EXPECT_TRUE(RemoveDir(Path("r"), 5, false));

    for (const char* gone : {"r/.old.txt", "r/sub/deeper/old.bin", "r/stale", "r/to-folder"}) {
        EXPECT_FALSE(Exists(gone)) << gone;
    }
    for (const char* kept :
         {"r/new.txt", "r/sub/deeper/new.bin", "r/fresh-empty", "r/stale-used/new.txt", "outside/precious.txt"}) {
        EXPECT_TRUE(Exists(kept)) << kept;
    }
}

TEST_F(RemoveDirExpiry, FolderItselfGoesOnlyWithTheFlagAndWhenEmptyAndAFileIsAnError)
{
    File("b/old.txt", 10);
    File("b/new.txt", 0);
    EXPECT_TRUE(RemoveDir(Path("b"), 5, true));
    EXPECT_TRUE(Exists("b/new.txt"));
    File("c/old.txt", 10);
    EXPECT_TRUE(RemoveDir(Path("c"), 5, true));
    EXPECT_FALSE(Exists("c"));

    Talvex::Test::LogCapture log;
    EXPECT_TRUE(RemoveDir(Path("missing"), 5, true)) << "nothing to clear is no error";
    File("plain.txt", 10);
    EXPECT_FALSE(RemoveDir(Path("plain.txt"), 5, true));
    EXPECT_TRUE(Exists("plain.txt"));
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "not a folder"));
}

TEST_F(RemoveDirExpiry, ALinkGivenAsTheFolderIsRefusedAndNamesThatAreNotTextExpireToo)
{
    File("victim/thesis.odt", 60);
    ASSERT_TRUE(QFile::link(Path("victim"), Path("planted")));
    Talvex::Test::LogCapture log;
    EXPECT_FALSE(RemoveDir(Path("planted"), 10, true));
    EXPECT_TRUE(Exists("victim/thesis.odt"));
    EXPECT_TRUE(Exists("planted"));
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "symbolic link"));

    QDir().mkpath(Path("raw"));
    const QByteArray name = QFile::encodeName(Path("raw")) + "/\xff\xfe-clip.tmp";
    const int file = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(file, 0);
    ::close(file);
    const timespec old[2] = {{1000, 0}, {1000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, name.constData(), old, 0), 0);
    EXPECT_TRUE(RemoveDir(Path("raw"), 10, false));
    struct stat status {};
    EXPECT_NE(::lstat(name.constData(), &status), 0);
}

// Permissions do not bind root, so the unreadable folder is examined by the helper
// under an unprivileged identity when the tests run as root.
TEST_F(RemoveDirExpiry, AnUnreadableSubfolderHoldingExpiredFilesIsReportedAsAFailure)
{
    const bool root = ::geteuid() == 0;
    // Our own test folder is closed to other users, so the unprivileged run gets one of
    // its own in a place it can reach.
    QTemporaryDir shared(QStringLiteral("/var/tmp/talvex-unreadable-XXXXXX"));
    const QString base = root ? shared.path() : temp.path();
    const QString old = base + QStringLiteral("/locked/inner/old.txt");
    QDir().mkpath(QFileInfo(old).path());
    ASSERT_TRUE(QFile(old).open(QIODevice::WriteOnly));
    const timespec aged[2] = {{1000, 0}, {1000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(old).constData(), aged, 0), 0);
    QStringList command{QStringLiteral(TALVEX_HELPER), QStringLiteral("remove-dir"), base + QStringLiteral("/locked")};
    // The build folder may be closed to that identity; it runs a copy it can reach.
    std::optional<Talvex::Test::OtherUserProgram> copy;
    QProcess helper;
    if (root) {
        copy.emplace(QStringLiteral(TALVEX_HELPER));
        if (!copy->Problem().isEmpty()) {
            GTEST_SKIP() << "skipped: " << copy->Problem().toStdString();
        }
        for (const QString& owned : {base, base + QStringLiteral("/locked"), QFileInfo(old).path(), old}) {
            ASSERT_EQ(::chown(QFile::encodeName(owned).constData(), 65534, 65534), 0);
        }
        command[0] = copy->Path();
        command = QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                              QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups")} +
                  command;
        helper.setProcessEnvironment(copy->Environment());
    }
    ASSERT_EQ(::chmod(QFile::encodeName(QFileInfo(old).path()).constData(), 0), 0);
    helper.start(command.takeFirst(), command);
    ASSERT_TRUE(helper.waitForFinished(30000));
    const QByteArray output = helper.readAllStandardOutput() + helper.readAllStandardError();
    EXPECT_EQ(helper.exitCode(), 1) << output.constData();
    EXPECT_TRUE(output.contains("Cannot open folder")) << output.constData();
    ::chmod(QFile::encodeName(QFileInfo(old).path()).constData(), 0700);
}
