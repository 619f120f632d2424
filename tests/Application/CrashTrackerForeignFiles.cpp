// Another local user may plant a link or a FIFO where the session file goes, or own or
// open up its folder; a root run given that user's home (sudo without -H) meets the
// same. The tracker must then neither read nor write through what it finds.
#include "SessionHelper.h"

#include "App/Application/CrashTracker.h"
#include "common/LogCapture.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using Talvex::App::CrashTracker;
using Talvex::Test::LogCapture;
using namespace Talvex::Test;

namespace {

const QByteArray FOREIGN_TEXT = "[General]\n1=200101-000000-131313\n";

std::string Native(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdString();
}

class CrashTrackerForeignFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(SessionFolder()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(SessionFolder()));
        QFile file(Foreign());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(FOREIGN_TEXT) == FOREIGN_TEXT.size());
        file.close();
        foreignStamp = QFileInfo(Foreign()).lastModified();
    }
    void TearDown() override
    {
        for (const QString& folder : {DataFolder(), SessionFolder()}) {
            ::chown(QFile::encodeName(folder).constData(), ::geteuid(), ::getegid());
        }
        ::chmod(QFile::encodeName(SessionFolder()).constData(), 0700);
        QDir(SessionFolder()).removeRecursively();
    }

    static QString SessionFolder() { return QFileInfo(OwnSessionFile()).absolutePath(); }
    static QString TalvexFolder() { return QFileInfo(SessionFolder()).absolutePath(); }
    static QString DataFolder() { return QFileInfo(TalvexFolder()).absolutePath(); }
    QString Foreign() const { return elsewhere.filePath(QStringLiteral("foreign.ini")); }

    // A whole session, from start to stop, with the list taken as a product does.
    static std::deque<std::string> RunSession()
    {
        CrashTracker tracker;
        const auto crashed = tracker.BadSessionsList();
        tracker.ClearHistory();
        tracker.StopSession();
        return crashed;
    }

    void ExpectForeignFileUntouched() const
    {
        QFile file(Foreign());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), FOREIGN_TEXT);
        EXPECT_EQ(QFileInfo(Foreign()).lastModified(), foreignStamp);
    }

    QTemporaryDir elsewhere;
    QDateTime foreignStamp;
};

TEST_F(CrashTrackerForeignFiles, ALinkOrFifoInPlaceOfTheSessionFileIsNeitherReadNorWritten)
{
    ASSERT_TRUE(QFile::link(Foreign(), OwnSessionFile()));
    {
        LogCapture log;
        EXPECT_TRUE(RunSession().empty()) << "read the records through the link";
        EXPECT_TRUE(log.Contains(google::GLOG_ERROR, Native(OwnSessionFile()) + ": it is a symbolic link"));
    }
    ExpectForeignFileUntouched();
    EXPECT_TRUE(QFileInfo(OwnSessionFile()).isSymLink());

    ASSERT_TRUE(QFile::remove(OwnSessionFile()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(OwnSessionFile()).constData(), 0600), 0);
    LogCapture log;
    EXPECT_TRUE(RunSession().empty()) << "a FIFO, once opened, would have stalled the start";
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, Native(OwnSessionFile()) + ": it is not a regular file"));
}

// Anyone who may write to the folder may swap the file for a link between our check
// and the save; a folder of another user is that user's to change.
TEST_F(CrashTrackerForeignFiles, ASessionFolderThatIsNotOursAloneIsLeftAlone)
{
    ASSERT_TRUE(QFile::copy(Foreign(), OwnSessionFile()));
    const QByteArray folder = QFile::encodeName(SessionFolder());
    ASSERT_EQ(::chmod(folder.constData(), 0777), 0);
    {
        LogCapture log;
        EXPECT_TRUE(RunSession().empty());
        EXPECT_TRUE(log.Contains(google::GLOG_ERROR, Native(OwnSessionFile()) + ": its folder " +
                                                         Native(SessionFolder()) + " is open to other users"));
    }
    EXPECT_EQ(RecordsIn(OwnSessionFile()),
              (QMap<QString, QString>{{QStringLiteral("1"), QStringLiteral("200101-000000-131313")}}));

    // Only root can hand a folder to someone else; it is then the victim, as in a run
    // given another user's home.
    ASSERT_EQ(::chmod(folder.constData(), 0700), 0);
    if (::geteuid() != 0) {
        return;
    }
    ASSERT_EQ(::chown(folder.constData(), 65534, 65534), 0);
    {
        LogCapture log;
        EXPECT_TRUE(RunSession().empty());
        EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "belongs to another user"));
    }
    EXPECT_EQ(RecordsIn(OwnSessionFile()).size(), 1);

    ASSERT_TRUE(QDir(TalvexFolder()).removeRecursively());
    ASSERT_EQ(::chown(QFile::encodeName(DataFolder()).constData(), 65534, 65534), 0);
    LogCapture log;
    RunSession();
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "belongs to another user"));
    EXPECT_FALSE(QFileInfo::exists(TalvexFolder())) << "left a folder of ours in another user's space";
}

// A user-private-group umask (002) gave older stores group-writable folders and files;
// their owner's crashes must still be reported, and the store is closed to the group.
TEST_F(CrashTrackerForeignFiles, AGroupWritableStoreOfOursIsClosedToTheGroupAndStillTracked)
{
    ASSERT_TRUE(QFile::copy(Foreign(), OwnSessionFile()));
    for (const auto& [path, mode] :
         {std::pair{SessionFolder(), 0775}, {TalvexFolder(), 0775}, {OwnSessionFile(), 0664}}) {
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
    }
    EXPECT_EQ(RunSession(), std::deque<std::string>{"200101-000000-131313"});
    for (const QString& path : {SessionFolder(), TalvexFolder(), OwnSessionFile()}) {
        struct stat status {};
        ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &status), 0);
        EXPECT_EQ(status.st_mode & S_IWGRP, 0u) << path.toStdString();
    }
}

// Under that umask QSettings creates even a fresh file open to the group: a store made
// from nothing must still be tracked, or every stop is refused and read as a crash.
TEST_F(CrashTrackerForeignFiles, AFreshStoreUnderAGroupWritableUmaskTracksOneSessionAfterAnother)
{
    ASSERT_TRUE(QDir(TalvexFolder()).removeRecursively());
    struct UmaskGuard {
        mode_t previous = ::umask(002);
        ~UmaskGuard() { ::umask(previous); }
    } umaskGuard;
    LogCapture log;
    {
        CrashTracker first;
    }
    CrashTracker second;
    EXPECT_FALSE(second.HasUnreportedCrash()) << "the first session's stop was not saved";
    EXPECT_EQ(RecordsIn(OwnSessionFile()),
              (QMap<QString, QString>{{OwnPid(), QString::fromStdString(second.SessionId())}}));
    EXPECT_FALSE(log.Contains(google::GLOG_ERROR, "Crash sessions are not tracked"));
}

// The session itself still works unguarded; only the guard's target must stay as it was.
TEST_F(CrashTrackerForeignFiles, ALinkInPlaceOfTheGuardIsNotFollowedAndIsNamedInAWarning)
{
    const QString guard = OwnSessionFile() + QStringLiteral(".guard");
    ASSERT_TRUE(QFile::link(Foreign(), guard));
    LogCapture log;
    {
        CrashTracker tracker;
        EXPECT_EQ(RecordsIn(OwnSessionFile()),
                  (QMap<QString, QString>{{OwnPid(), QString::fromStdString(tracker.SessionId())}}));
    }
    EXPECT_TRUE(RecordsIn(OwnSessionFile()).isEmpty());
    EXPECT_TRUE(
        log.Contains(google::GLOG_WARNING, "Cannot open the lock file " + QFile::encodeName(guard).toStdString()));
    ExpectForeignFileUntouched();
    EXPECT_TRUE(QFileInfo(guard).isSymLink());
}

} // namespace
