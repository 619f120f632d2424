#include "Platform/Util/RemoveDir.h"

#include "common/LogCapture.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Talvex::Util::RemoveDir;

namespace {

class RemoveDirExpiry : public ::testing::Test {
protected:
    QString Path(const QString& relative) const { return temp.path() + QStringLiteral("/") + relative; }

    // Sets the entry's own modification time `days` days back (links are not followed).
    void Age(const QString& relative, int days) const
    {
        const qint64 when = QDateTime::currentSecsSinceEpoch() - qint64(days) * 24 * 60 * 60 - 60;
        const timespec times[2] = {{when, 0}, {when, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(Path(relative)).constData(), times, AT_SYMLINK_NOFOLLOW), 0)
            << relative.toStdString();
    }

    void File(const QString& relative, int days) const
    {
        QDir().mkpath(QFileInfo(Path(relative)).path());
        QFile file(Path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("data");
        file.close();
        Age(relative, days);
    }

    bool Exists(const QString& relative) const { return QFileInfo(Path(relative)).exists(); }

    QTemporaryDir temp;
};

} // namespace

TEST_F(RemoveDirExpiry, RemovesOnlyFilesOlderThanTheLimitAtEveryDepth)
{
    File("old.txt", 10);
    File("new.txt", 1);
    File(".hidden-old", 10);
    File("sub/old.bin", 6);
    File("sub/deeper/new.bin", 0);
    File("sub/deeper/old.bin", 30);

    EXPECT_TRUE(RemoveDir(temp.path(), 5, false));

    EXPECT_FALSE(Exists("old.txt"));
    EXPECT_FALSE(Exists(".hidden-old"));
    EXPECT_FALSE(Exists("sub/old.bin"));
    EXPECT_FALSE(Exists("sub/deeper/old.bin"));
    EXPECT_TRUE(Exists("new.txt"));
    EXPECT_TRUE(Exists("sub/deeper/new.bin"));
}

TEST_F(RemoveDirExpiry, ExpiredFoldersGoOnceEmptyButFreshOrStillUsedOnesStay)
{
    File("stale/inner/old.txt", 10);
    Age("stale/inner", 10);
    Age("stale", 10);
    QDir().mkpath(Path("fresh-empty"));
    File("stale-used/new.txt", 0);
    Age("stale-used", 10);

    EXPECT_TRUE(RemoveDir(temp.path(), 5, false));

    EXPECT_FALSE(Exists("stale"));
    EXPECT_TRUE(Exists("fresh-empty"));
    EXPECT_TRUE(Exists("stale-used/new.txt"));
}

TEST_F(RemoveDirExpiry, FolderItselfGoesOnlyWithTheFlagAndOnlyWhenEmpty)
{
    File("a/old.txt", 10);
    EXPECT_TRUE(RemoveDir(Path("a"), 5, false));
    EXPECT_TRUE(Exists("a")) << "without the flag the folder stays";

    File("b/old.txt", 10);
    File("b/new.txt", 0);
    EXPECT_TRUE(RemoveDir(Path("b"), 5, true));
    EXPECT_TRUE(Exists("b/new.txt"));

    File("c/old.txt", 10);
    EXPECT_TRUE(RemoveDir(Path("c"), 5, true));
    EXPECT_FALSE(Exists("c"));
}

TEST_F(RemoveDirExpiry, ZeroDaysClearsEvenFilesWrittenJustNow)
{
    File("now.txt", 0);
    Age("now.txt", -1);
    EXPECT_TRUE(RemoveDir(temp.path(), 0, false));
    EXPECT_FALSE(Exists("now.txt"));
}

TEST_F(RemoveDirExpiry, NeverFollowsLinksOutOfTheFolder)
{
    File("outside/precious.txt", 100);
    File("inside/old.txt", 100);
    ASSERT_TRUE(QFile::link(Path("outside"), Path("inside/to-folder")));
    ASSERT_TRUE(QFile::link(Path("outside/precious.txt"), Path("inside/to-file")));
    ASSERT_TRUE(QFile::link(Path("nowhere"), Path("inside/dangling")));
    Age("inside/to-folder", 100);
    Age("inside/to-file", 100);
    Age("inside/dangling", 100);

    EXPECT_TRUE(RemoveDir(Path("inside"), 5, true));

    EXPECT_TRUE(Exists("outside/precious.txt"));
    EXPECT_FALSE(QFileInfo(Path("inside")).exists()) << "the links themselves expire";
}

TEST_F(RemoveDirExpiry, MissingFolderIsClearAndAFileIsAnError)
{
    Talvex::Test::LogCapture log;
    EXPECT_TRUE(RemoveDir(Path("missing"), 5, true));
    EXPECT_TRUE(log.Entries().empty());

    File("plain.txt", 10);
    EXPECT_FALSE(RemoveDir(Path("plain.txt"), 5, true));
    EXPECT_TRUE(Exists("plain.txt"));
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "not a folder"));
}

TEST_F(RemoveDirExpiry, UndeletableFileIsReportedAndTheRestStillCleared)
{
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root";
    }
    File("locked/old.txt", 10);
    File("open/old.txt", 10);
    ASSERT_TRUE(QFile::setPermissions(Path("locked"), QFile::ReadOwner | QFile::ExeOwner));

    Talvex::Test::LogCapture log;
    EXPECT_FALSE(RemoveDir(temp.path(), 5, false));
    QFile::setPermissions(Path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_TRUE(Exists("locked/old.txt"));
    EXPECT_FALSE(Exists("open/old.txt"));
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "old.txt"));
}
