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

#include <cstdio>
#include <memory>
#include <random>
#include <vector>

using namespace Talvex::Test;

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
    bool killed = false;
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
        current.crashed = report.crashed;
        QTimer::singleShot(std::uniform_int_distribution<int>(0, 15)(run.random), [this] { Stop(); });
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
    int reports = 0;
    qint64 firstStopAt = -1;
};

TEST(CrashTrackerReliability, ConcurrentStartsStopsAndKillsLoseNoCrashAndInventNone)
{
    QFile::remove(HelperSessionFile());
    StressRun run;
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
    ASSERT_EQ(run.lanesLeft, 0) << "the instances did not finish in time";
    // One last start sweeps the crashes that no later cycle was left to find.
    HelperSession sweep(QStringLiteral("session-quit"));
    ASSERT_TRUE(sweep.WaitReady());
    ASSERT_TRUE(sweep.Finish());
    ASSERT_EQ(run.sessions.size(), static_cast<size_t>(LANES * CYCLES));

    QMap<QString, IdUse> uses;
    for (const Session& session : run.sessions) {
        IdUse& use = uses[session.id];
        use.killed += session.killed ? 1 : 0;
        if (use.firstStopAt < 0 || session.stopAt < use.firstStopAt) {
            use.firstStopAt = session.stopAt;
        }
    }
    for (const Session& session : run.sessions) {
        EXPECT_TRUE(session.exitedCleanly) << session.id.toStdString();
        for (const QString& id : session.crashed) {
            // A report complete before the session was even told to stop names a live one.
            const qint64 stoppedAt = uses.value(id).firstStopAt;
            EXPECT_TRUE(stoppedAt >= 0 && stoppedAt < session.readyAt) << "live session reported: " << id.toStdString();
            uses[id].reports += 1;
        }
    }
    for (const QString& id : sweep.Report().crashed) {
        uses[id].reports += 1;
    }
    for (auto use = uses.cbegin(); use != uses.cend(); ++use) {
        EXPECT_EQ(use->reports, use->killed)
            << (use->killed ? "killed session not reported exactly once: " : "normally stopped session reported: ")
            << use.key().toStdString();
    }
    EXPECT_TRUE(RecordsIn(HelperSessionFile()).isEmpty());
    if (HasFailure()) {
        for (const Session& session : run.sessions) {
            std::printf("id %s %s ready %lld stop %lld found [%s]\n", qPrintable(session.id),
                        session.killed ? "killed" : "stopped", static_cast<long long>(session.readyAt),
                        static_cast<long long>(session.stopAt), qPrintable(session.crashed.join(QLatin1Char(' '))));
        }
    }
}

} // namespace
