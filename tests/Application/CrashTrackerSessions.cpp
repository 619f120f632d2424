#include "SessionHelper.h"

#include "App/Application/CrashTracker.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

using Talvex::App::CrashTracker;
using namespace Talvex::Test;

namespace {

class CrashTrackerSessions : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(OwnSessionFile());
        QFile::remove(HelperSessionFile());
    }
};

TEST_F(CrashTrackerSessions, RecordLivesExactlyAsLongAsTheSessionAndCarriesAStampedId)
{
    {
        const QString before = QDateTime::currentDateTime().toString(QStringLiteral("yyMMdd-HHmmss"));
        CrashTracker tracker;
        const QString id = QString::fromStdString(tracker.SessionId());
        const QString after = QDateTime::currentDateTime().toString(QStringLiteral("yyMMdd-HHmmss"));
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{6}-\\d{6}-[1-9]\\d{5}$")).match(id).hasMatch() &&
                    id.left(13) >= before && id.left(13) <= after)
            << id.toStdString();

        EXPECT_FALSE(tracker.HasUnreportedCrash());
        EXPECT_EQ(RecordsIn(OwnSessionFile()), (QMap<QString, QString>{{OwnPid(), id}}));
        tracker.StopSession();
        EXPECT_TRUE(RecordsIn(OwnSessionFile()).isEmpty());
    }
    {
        CrashTracker tracker;
    }
    EXPECT_TRUE(RecordsIn(OwnSessionFile()).isEmpty()) << "the destructor ends the session too";

    // The number follows the millisecond, so trackers started in different ones differ.
    QSet<QString> ids;
    for (int i = 0; i < 3; ++i) {
        QThread::msleep(2);
        ids.insert(QString::fromStdString(CrashTracker().SessionId()));
    }
    EXPECT_EQ(ids.size(), 3);
}

TEST_F(CrashTrackerSessions, KilledRunIsReportedOnceByTheNextStartAndANormalQuitLeavesNothing)
{
    HelperSession killed("session-hold");
    const QString killedId = killed.Report().sessionId;
    const QString killedPid = killed.Pid();
    ASSERT_TRUE(killed.Kill());
    EXPECT_EQ(RecordsIn(HelperSessionFile()).value(killedPid), killedId);

    HelperSession next("session-hold");
    EXPECT_EQ(next.Report().crashed, QStringList{killedId});
    EXPECT_EQ(RecordsIn(HelperSessionFile()), (QMap<QString, QString>{{next.Pid(), next.Report().sessionId}}))
        << "once the list is taken, only the live record stays";
    ASSERT_TRUE(next.Finish());
    EXPECT_TRUE(RecordsIn(HelperSessionFile()).isEmpty());

    HelperSession third("session-quit");
    EXPECT_TRUE(third.Report().crashed.isEmpty());
}

TEST_F(CrashTrackerSessions, RecordOfARunningInstanceIsNeitherReportedNorRemoved)
{
    HelperSession running("session-hold");
    HelperSession other("session-quit");
    EXPECT_TRUE(other.Report().crashed.isEmpty());
    ASSERT_TRUE(other.Finish());
    EXPECT_EQ(RecordsIn(HelperSessionFile()), (QMap<QString, QString>{{running.Pid(), running.Report().sessionId}}));
    ASSERT_TRUE(running.Finish());
    EXPECT_TRUE(RecordsIn(HelperSessionFile()).isEmpty());
}

// A start keeps the crashes it took claimed until the product takes the list, so
// that a start killed in between does not lose them.
TEST_F(CrashTrackerSessions, CrashesClaimedByARunningStartAreLeftToIt)
{
    HelperSession killed("session-hold");
    const QString killedId = killed.Report().sessionId;
    ASSERT_TRUE(killed.Kill());

    HelperSession claimer("session-claim");
    EXPECT_EQ(RecordsIn(HelperSessionFile()),
              (QMap<QString, QString>{{claimer.Pid(), claimer.Report().sessionId},
                                      {claimer.Pid() + QStringLiteral("/0"), killedId}}));
    HelperSession second("session-quit");
    EXPECT_TRUE(second.Report().crashed.isEmpty());
    ASSERT_TRUE(second.Finish());

    ASSERT_TRUE(claimer.Finish());
    EXPECT_TRUE(RecordsIn(HelperSessionFile()).isEmpty()) << "a normal stop releases the claim";
}

TEST_F(CrashTrackerSessions, ClaimOfAKilledStartIsReportedByTheNextStartOnly)
{
    HelperSession killed("session-hold");
    const QString killedId = killed.Report().sessionId;
    ASSERT_TRUE(killed.Kill());
    HelperSession claimer("session-claim");
    const QString claimerId = claimer.Report().sessionId;
    ASSERT_TRUE(claimer.Kill());

    HelperSession next("session-quit");
    const QStringList crashed = next.Report().crashed;
    EXPECT_EQ(QSet<QString>(crashed.begin(), crashed.end()), (QSet<QString>{killedId, claimerId}));
    EXPECT_EQ(crashed.size(), 2);
    ASSERT_TRUE(next.Finish());
    EXPECT_TRUE(RecordsIn(HelperSessionFile()).isEmpty());
    HelperSession third("session-quit");
    EXPECT_TRUE(third.Report().crashed.isEmpty());
}

TEST_F(CrashTrackerSessions, RecordOfAnotherProgramUnderALivePidIsACrash)
{
    // The pid is alive (it is this test), but it does not run the helper program,
    // as when a dead session's pid was reused by an unrelated process.
    QSettings(HelperSessionFile(), QSettings::IniFormat).setValue(OwnPid(), QStringLiteral("200101-000000-111111"));
    HelperSession helper("session-quit");
    EXPECT_EQ(helper.Report().crashed, QStringList{QStringLiteral("200101-000000-111111")});
}

TEST_F(CrashTrackerSessions, KeysThatAreNoProcessIdAreCrashesAndClearHistoryForgetsEverything)
{
    {
        QSettings records(OwnSessionFile(), QSettings::IniFormat);
        records.setValue(QStringLiteral("notapid"), QStringLiteral("200101-000000-222222"));
        records.setValue(QStringLiteral("0"), QStringLiteral("200101-000000-333333"));
        // A claim under a name that is no process id, and a record and a claim left by a
        // dead process whose id this process now has: no running start holds these.
        records.setValue(QStringLiteral("notapid/0"), QStringLiteral("200101-000000-444444"));
        records.setValue(OwnPid(), QStringLiteral("200101-000000-555555"));
        records.setValue(OwnPid() + QStringLiteral("/0"), QStringLiteral("200101-000000-666666"));
    }
    CrashTracker tracker;
    EXPECT_TRUE(tracker.HasUnreportedCrash());
    EXPECT_EQ(RecordsIn(OwnSessionFile()).size(), 6) << "claimed until the list is taken";
    const auto found = tracker.BadSessionsList();
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()),
              (std::set<std::string>{"200101-000000-222222", "200101-000000-333333", "200101-000000-444444",
                                     "200101-000000-555555", "200101-000000-666666"}));
    EXPECT_EQ(RecordsIn(OwnSessionFile()).keys(), QStringList{OwnPid()});

    {
        // Written by another instance after this tracker last read the file (QSettings
        // objects of one process would share what they read).
        QFile file(OwnSessionFile());
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("\n[999999]\n0=200101-000000-999999\n");
    }
    tracker.ClearHistory();
    EXPECT_FALSE(tracker.HasUnreportedCrash());
    EXPECT_TRUE(tracker.BadSessionsList().empty());
    EXPECT_TRUE(RecordsIn(OwnSessionFile()).isEmpty()) << "its own record goes too";
}

} // namespace

TEST_F(CrashTrackerSessions, SimultaneousStartsDrawDistinctIdentifiers)
{
    std::vector<std::unique_ptr<QProcess>> starts;
    for (int i = 0; i < 10; ++i) {
        starts.push_back(std::make_unique<QProcess>());
    }
    for (const auto& start : starts) {
        start->start(QStringLiteral(TALVEX_HELPER), {QStringLiteral("session-quit")});
    }
    QSet<QString> ids;
    for (const auto& start : starts) {
        ASSERT_TRUE(start->waitForFinished(20000));
        ids.insert(ParseSessionReport(start->readAllStandardOutput()).sessionId);
    }
    EXPECT_EQ(ids.size(), 10);
}

// A stopped instance holding the session file's guard must not freeze every later start.
TEST_F(CrashTrackerSessions, AStoppedHolderOfTheGuardDelaysAStartOnlyBrieflyAndCrashesWaitForTheNextStart)
{
    QSettings(HelperSessionFile(), QSettings::IniFormat)
        .setValue(QStringLiteral("0"), QStringLiteral("200101-000000-777777"));
    QProcess holder;
    holder.start(QStringLiteral(TALVEX_HELPER), {QStringLiteral("guard-stop"), HelperSessionFile()});
    ASSERT_TRUE(holder.waitForReadyRead(15000));
    ASSERT_EQ(holder.readAllStandardOutput(), "held\n");

    QProcess start;
    start.start(QStringLiteral(TALVEX_HELPER), {QStringLiteral("session-quit")});
    const bool finished = start.waitForFinished(20000);
    holder.kill();
    holder.waitForFinished(5000);
    ASSERT_TRUE(finished) << "the start waited for the stopped holder";
    EXPECT_EQ(start.exitCode(), 0);
    const QByteArray errors = start.readAllStandardError();
    EXPECT_TRUE(errors.contains("its holder does not let go")) << errors.constData();
    const SessionReport unguarded = ParseSessionReport(start.readAllStandardOutput());
    EXPECT_TRUE(unguarded.ready);
    // Unguarded, another start could be sweeping the same records.
    EXPECT_TRUE(unguarded.crashed.isEmpty());
    HelperSession next("session-quit");
    EXPECT_EQ(next.Report().crashed, QStringList{QStringLiteral("200101-000000-777777")});
}

// Without the guard a start sweeps nobody else's records, but what an earlier holder of
// its own process id left is its alone, and writing its record must not bury it.
TEST_F(CrashTrackerSessions, AStartWithoutTheGuardStillReportsWhatItsOwnProcessIdLeft)
{
    QSettings(OwnSessionFile(), QSettings::IniFormat).setValue(OwnPid(), QStringLiteral("200101-000000-888888"));
    QProcess holder;
    holder.start(QStringLiteral(TALVEX_HELPER), {QStringLiteral("guard-stop"), OwnSessionFile()});
    ASSERT_TRUE(holder.waitForReadyRead(15000));
    ASSERT_EQ(holder.readAllStandardOutput(), "held\n");
    CrashTracker tracker;
    holder.kill();
    holder.waitForFinished(5000);
    EXPECT_EQ(tracker.BadSessionsList(), std::deque<std::string>{"200101-000000-888888"});
}

// The product takes the list on the GUI thread: a busy guard must not freeze it, and
// the crashes it took must stay claimed in the file until the claim can go.
TEST_F(CrashTrackerSessions, TakingTheListNeverWaitsForTheGuardAndTheClaimGoesOnceTheGuardIsFree)
{
    QSettings(OwnSessionFile(), QSettings::IniFormat)
        .setValue(QStringLiteral("0"), QStringLiteral("200101-000000-121212"));
    CrashTracker tracker;
    QProcess holder;
    holder.start(QStringLiteral(TALVEX_HELPER), {QStringLiteral("guard-stop"), OwnSessionFile()});
    ASSERT_TRUE(holder.waitForReadyRead(15000));
    ASSERT_EQ(holder.readAllStandardOutput(), "held\n");

    QElapsedTimer taking;
    taking.start();
    EXPECT_EQ(tracker.BadSessionsList(), std::deque<std::string>{"200101-000000-121212"});
    EXPECT_LT(taking.elapsed(), 1000) << "waited for the guard";
    QCoreApplication::processEvents();
    EXPECT_EQ(RecordsIn(OwnSessionFile()).value(OwnPid() + QStringLiteral("/0")),
              QStringLiteral("200101-000000-121212"))
        << "the claim went without the guard";

    holder.kill();
    holder.waitForFinished(5000);
    const QDeadlineTimer deadline(5000);
    while (RecordsIn(OwnSessionFile()).contains(OwnPid() + QStringLiteral("/0")) && !deadline.hasExpired()) {
        QTest::qWait(20);
    }
    EXPECT_EQ(RecordsIn(OwnSessionFile()),
              (QMap<QString, QString>{{OwnPid(), QString::fromStdString(tracker.SessionId())}}));
}
