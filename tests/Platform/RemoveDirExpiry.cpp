#include "Platform/Util/RemoveDir.h"

#include "common/LogCapture.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

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
