// Many instances of one program starting, stopping and crashing at once against one
// session file: crashes must be found, live sessions must never be taken for crashes.
#include "SessionHelper.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

using Talvex::Test::HelperSession;
using Talvex::Test::HelperSessionFile;
using Talvex::Test::ParseSessionReport;
using Talvex::Test::RecordsIn;
using Talvex::Test::SessionReport;

namespace {

#if defined(__SANITIZE_ADDRESS__)
#define TALVEX_INSTRUMENTED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TALVEX_INSTRUMENTED 1
#endif
#endif

constexpr int LANES = 6;
#if defined(TALVEX_INSTRUMENTED)
// An instrumented start is about twenty times slower; fewer cycles keep the run
// inside the test time-out while every lane still overlaps the others.
constexpr int CYCLES = 10;
#else
constexpr int CYCLES = 30;
#endif

struct Session {
    QString id;
    qint64 pid = 0;
    bool killed = false;
    qint64 startAt = -1;
    qint64 readyAt = -1; // when its report was complete, ms into the run
    qint64 stopAt = -1;  // when the kill or the stop was sent
    QStringList crashed;
    bool exitedCleanly = false;
};

struct StressRun {
    QElapsedTimer clock;
    std::vector<Session> sessions;
    std::mt19937 random{20120};
    int lanesLeft = LANES;
    QEventLoop loop;
};

// One instance after another, each holding its session for a few milliseconds
// before it is stopped normally or, every third cycle, killed.
class Lane {
public:
    Lane(StressRun& run, int index) : run(run), index(index) {}

    void StartCycle()
    {
        process = std::make_unique<QProcess>();
        output.clear();
        session = run.sessions.size();
        run.sessions.push_back(Session());
        run.sessions[session].killed = (cycle + index) % 3 == 0;
        run.sessions[session].startAt = run.clock.elapsed();
        QObject::connect(process.get(), &QProcess::readyReadStandardOutput, [this] { OnOutput(); });
        QObject::connect(process.get(), qOverload<int, QProcess::ExitStatus>(&QProcess::finished),
                         [this](int code, QProcess::ExitStatus status) { OnFinished(code, status); });
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QStringLiteral(TALVEX_HELPER), {QStringLiteral("session-hold")});
    }

private:
    void OnOutput()
    {
        output += process->readAllStandardOutput();
        const SessionReport report = ParseSessionReport(output);
        Session& current = run.sessions[session];
        if (!report.ready || current.readyAt >= 0) {
            return;
        }
        current.readyAt = run.clock.elapsed();
        current.id = report.sessionId;
        current.pid = process->processId();
        current.crashed = report.crashed;
        const int holdMs = std::uniform_int_distribution<int>(0, 15)(run.random);
        QTimer::singleShot(holdMs, [this] { Stop(); });
    }

    void Stop()
    {
        Session& current = run.sessions[session];
        current.stopAt = run.clock.elapsed();
        if (current.killed) {
            process->kill();
        } else {
            process->write("quit\n");
            process->closeWriteChannel();
        }
    }

    void OnFinished(int code, QProcess::ExitStatus status)
    {
        Session& current = run.sessions[session];
        current.exitedCleanly =
            current.killed ? status == QProcess::CrashExit : status == QProcess::NormalExit && code == 0;
        // Not deleted from its own signal; the lane keeps it until the run ends.
        finished.push_back(std::move(process));
        if (++cycle < CYCLES) {
            StartCycle();
        } else if (--run.lanesLeft == 0) {
            run.loop.quit();
        }
    }

    StressRun& run;
    const int index;
    int cycle = 0;
    size_t session = 0;
    std::unique_ptr<QProcess> process;
    std::vector<std::unique_ptr<QProcess>> finished;
    QByteArray output;
};

// Sessions that carry one id. Ids are not unique: instances that start in the same
// millisecond draw the same one, so the checks are per id.
struct IdUse {
    int killed = 0;
    int stopped = 0;
    qint64 firstStopAt = -1;
};

QMap<QString, IdUse> UsesOf(const std::vector<Session>& sessions)
{
    QMap<QString, IdUse> uses;
    for (const Session& session : sessions) {
        IdUse& use = uses[session.id];
        (session.killed ? use.killed : use.stopped) += 1;
        if (use.firstStopAt < 0 || session.stopAt < use.firstStopAt) {
            use.firstStopAt = session.stopAt;
        }
    }
    return uses;
}

QMap<QString, int> ReportCounts(const std::vector<Session>& sessions, const QStringList& sweepFound)
{
    QMap<QString, int> counts;
    for (const Session& reporter : sessions) {
        for (const QString& id : reporter.crashed) {
            counts[id] += 1;
        }
    }
    for (const QString& id : sweepFound) {
        counts[id] += 1;
    }
    return counts;
}

void PrintFigure(const std::vector<Session>& sessions, const QMap<QString, IdUse>& uses,
                 const QMap<QString, int>& reports, qint64 elapsedMs)
{
    std::vector<qint64> startMs;
    int killed = 0;
    for (const Session& session : sessions) {
        startMs.push_back(session.readyAt - session.startAt);
        killed += session.killed ? 1 : 0;
    }
    std::sort(startMs.begin(), startMs.end());
    const auto twice = std::count_if(reports.cbegin(), reports.cend(), [](int count) { return count > 1; });
    const auto shared =
        std::count_if(uses.cbegin(), uses.cend(), [](const IdUse& use) { return use.killed + use.stopped > 1; });
    std::printf("reliability: %zu sessions (%d killed) by %d concurrent instances in %lld ms; %d crashes reported, "
                "%ld of them by two starts or more; %ld ids drawn twice; start median %lld ms, max %lld ms\n",
                sessions.size(), killed, LANES, static_cast<long long>(elapsedMs), static_cast<int>(reports.size()),
                static_cast<long>(twice), static_cast<long>(shared),
                static_cast<long long>(startMs[startMs.size() / 2]), static_cast<long long>(startMs.back()));
    std::fflush(stdout);
}

void PrintSessions(const std::vector<Session>& sessions)
{
    for (const Session& session : sessions) {
        std::fprintf(stderr, "pid %lld id %s %s start %lld ready %lld stop %lld found [%s]\n",
                     static_cast<long long>(session.pid), qPrintable(session.id), session.killed ? "killed" : "stopped",
                     static_cast<long long>(session.startAt), static_cast<long long>(session.readyAt),
                     static_cast<long long>(session.stopAt), qPrintable(session.crashed.join(QLatin1Char(' '))));
    }
}

void RunLanes(StressRun& run)
{
    std::vector<std::unique_ptr<Lane>> lanes;
    for (int i = 0; i < LANES; ++i) {
        lanes.push_back(std::make_unique<Lane>(run, i));
    }
    run.clock.start();
    for (auto& lane : lanes) {
        lane->StartCycle();
    }
    QTimer::singleShot(50000, &run.loop, &QEventLoop::quit);
    run.loop.exec();
}

TEST(CrashTrackerReliability, ConcurrentStartsStopsAndKillsLoseNoCrashAndInventNone)
{
    QFile::remove(HelperSessionFile());
    StressRun run;
    RunLanes(run);
    ASSERT_EQ(run.lanesLeft, 0) << "the instances did not finish in time";
    // One last start sweeps the crashes that no later cycle was left to find.
    HelperSession sweep(QStringLiteral("session-quit"));
    ASSERT_TRUE(sweep.WaitReady());
    ASSERT_TRUE(sweep.Finish());
    const qint64 elapsed = run.clock.elapsed();

    ASSERT_EQ(run.sessions.size(), static_cast<size_t>(LANES * CYCLES));
    const QMap<QString, IdUse> uses = UsesOf(run.sessions);
    const QMap<QString, int> reports = ReportCounts(run.sessions, sweep.Report().crashed);
    for (const Session& session : run.sessions) {
        EXPECT_TRUE(session.exitedCleanly) << session.id.toStdString();
        for (const QString& id : session.crashed) {
            // A report complete before the session was even told to stop names a live one.
            const qint64 stoppedAt = uses.value(id).firstStopAt;
            EXPECT_TRUE(stoppedAt >= 0 && stoppedAt < session.readyAt) << "live session reported: " << id.toStdString();
        }
    }
    // Every killed session is reported by exactly one later start, and no session that
    // stopped normally ever is.
    int lost = 0;
    int phantom = 0;
    for (auto use = uses.cbegin(); use != uses.cend(); ++use) {
        lost += use->killed > 0 && reports.value(use.key()) == 0 ? 1 : 0;
        phantom += use->killed == 0 && reports.value(use.key()) > 0 ? 1 : 0;
        EXPECT_EQ(reports.value(use.key()), use->killed) << "session " << use.key().toStdString();
    }
    std::printf("reliability: %d crashes never reported, %d normally stopped sessions reported\n", lost, phantom);
    RecordProperty("lostCrashes", lost);
    RecordProperty("stoppedSessionsReported", phantom);
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(phantom, 0);
    EXPECT_TRUE(RecordsIn(HelperSessionFile()).isEmpty());
    PrintFigure(run.sessions, uses, reports, elapsed);
    if (HasFailure()) {
        PrintSessions(run.sessions);
    }
}

} // namespace
