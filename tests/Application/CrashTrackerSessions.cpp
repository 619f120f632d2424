#include "SessionHelper.h"

#include "App/Application/CrashTracker.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTime>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <set>
#include <string>

using Talvex::App::CrashTracker;
using Talvex::Test::HelperSession;
using Talvex::Test::HelperSessionFile;
using Talvex::Test::RecordsIn;

namespace {

QString OwnSessionFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::DataLocation) +
           QStringLiteral("/Talvex/clipforge 20.1.2/testApplication.ini");
}

QString OwnPid()
{
    return QString::number(QCoreApplication::applicationPid());
}

void WriteRecord(const QString& file, const QString& key, const QString& value)
{
    QSettings store(file, QSettings::IniFormat);
    store.setValue(key, value);
    store.sync();
}

std::unique_ptr<HelperSession> ReadyHelper(const char* role)
{
    auto helper = std::make_unique<HelperSession>(QLatin1String(role));
    EXPECT_TRUE(helper->WaitReady()) << role;
    return helper;
}

class CrashTrackerSessions : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const QString& file : {OwnSessionFile(), HelperSessionFile()}) {
            QFile::remove(file);
        }
    }
};

TEST_F(CrashTrackerSessions, RecordLivesExactlyAsLongAsTheSession)
{
    {
        CrashTracker tracker;
        EXPECT_FALSE(tracker.HasUnreportedCrash());
        EXPECT_EQ(RecordsIn(OwnSessionFile()),
                  (QMap<QString, QString>{{OwnPid(), QString::fromStdString(tracker.SessionId())}}));
        tracker.StopSession();
        EXPECT_TRUE(RecordsIn(OwnSessionFile()).isEmpty());
    }
    {
        CrashTracker tracker;
    }
    EXPECT_TRUE(RecordsIn(OwnSessionFile()).isEmpty());
}

TEST_F(CrashTrackerSessions, KilledRunIsReportedOnceByTheNextStartAndItsRecordRemoved)
{
    auto killed = ReadyHelper("session-hold");
    const QString killedId = killed->Report().sessionId;
    const QString killedPid = killed->Pid();
    ASSERT_TRUE(killed->Kill());
    EXPECT_EQ(RecordsIn(HelperSessionFile()).value(killedPid), killedId);

    auto next = ReadyHelper("session-quit");
    EXPECT_EQ(next->Report().crashed, QStringList{killedId});
    ASSERT_TRUE(next->Finish());
    EXPECT_TRUE(RecordsIn(HelperSessionFile()).isEmpty());

    auto third = ReadyHelper("session-quit");
    EXPECT_TRUE(third->Report().crashed.isEmpty());
}

TEST_F(CrashTrackerSessions, NormalQuitLeavesNothingToReport)
{
    auto first = ReadyHelper("session-quit");
    EXPECT_TRUE(first->Report().crashed.isEmpty());
    ASSERT_TRUE(first->Finish());
    EXPECT_TRUE(RecordsIn(HelperSessionFile()).isEmpty());

    auto second = ReadyHelper("session-quit");
    EXPECT_TRUE(second->Report().crashed.isEmpty());
}

TEST_F(CrashTrackerSessions, RecordOfARunningInstanceIsNeitherReportedNorRemoved)
{
    auto running = ReadyHelper("session-hold");
    auto other = ReadyHelper("session-quit");
    EXPECT_TRUE(other->Report().crashed.isEmpty());
    ASSERT_TRUE(other->Finish());
    EXPECT_EQ(RecordsIn(HelperSessionFile()), (QMap<QString, QString>{{running->Pid(), running->Report().sessionId}}));
    ASSERT_TRUE(running->Finish());
    EXPECT_TRUE(RecordsIn(HelperSessionFile()).isEmpty());
}

TEST_F(CrashTrackerSessions, RecordOfAnotherProgramUnderALivePidIsACrash)
{
    // The pid is alive (it is this test), but it does not run the helper program,
    // as when a dead session's pid was reused by an unrelated process.
    WriteRecord(HelperSessionFile(), OwnPid(), QStringLiteral("200101-000000-111111"));
    auto helper = ReadyHelper("session-quit");
    EXPECT_EQ(helper->Report().crashed, QStringList{QStringLiteral("200101-000000-111111")});
}

TEST_F(CrashTrackerSessions, KeyThatIsNotAProcessIdIsReportedAndRemoved)
{
    WriteRecord(OwnSessionFile(), QStringLiteral("notapid"), QStringLiteral("200101-000000-222222"));
    WriteRecord(OwnSessionFile(), QStringLiteral("0"), QStringLiteral("200101-000000-333333"));
    CrashTracker tracker;
    EXPECT_TRUE(tracker.HasUnreportedCrash());
    const std::deque<std::string> found = tracker.BadSessionsList();
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()),
              (std::set<std::string>{"200101-000000-222222", "200101-000000-333333"}));
    EXPECT_EQ(RecordsIn(OwnSessionFile()).keys(), QStringList{OwnPid()});
}

TEST_F(CrashTrackerSessions, ClearHistoryForgetsCrashesAndEmptiesTheFileIncludingOwnRecord)
{
    WriteRecord(OwnSessionFile(), QStringLiteral("notapid"), QStringLiteral("200101-000000-444444"));
    WriteRecord(OwnSessionFile(), QStringLiteral("1"), QStringLiteral("200101-000000-555555"));
    CrashTracker tracker;
    ASSERT_EQ(tracker.BadSessionsList().size(), 2u);
    tracker.ClearHistory();
    EXPECT_FALSE(tracker.HasUnreportedCrash());
    EXPECT_TRUE(tracker.BadSessionsList().empty());
    EXPECT_TRUE(RecordsIn(OwnSessionFile()).isEmpty());
    EXPECT_FALSE(tracker.SessionId().empty());
}

TEST_F(CrashTrackerSessions, SessionIdsCarryTheStartTimeAndDifferAcrossMilliseconds)
{
    const QRegularExpression format(QStringLiteral("^(\\d{6}-\\d{6})-[1-9]\\d{5}$"));
    QSet<QString> ids;
    QSet<int> usedMsecs;
    for (int i = 0; i < 5; ++i) {
        // The suffix is seeded from the millisecond, so start each tracker in a new one.
        while (usedMsecs.contains(QTime::currentTime().msec())) {
        }
        usedMsecs.insert(QTime::currentTime().msec());
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        const QString id = QString::fromStdString(CrashTracker().SessionId());
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        const QRegularExpressionMatch match = format.match(id);
        ASSERT_TRUE(match.hasMatch()) << id.toStdString();
        const QDateTime stamp = QDateTime::fromString(match.captured(1), QStringLiteral("yyMMdd-HHmmss")).addYears(100);
        EXPECT_TRUE(stamp >= before && stamp <= after) << id.toStdString();
        ids.insert(id.mid(14));
    }
    EXPECT_EQ(ids.size(), 5);
}

} // namespace
