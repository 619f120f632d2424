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

#include <memory>
#include <random>
#include <vector>

using namespace Talvex::Test;

namespace {

#ifndef __has_feature
#define __has_feature(feature) 0
#endif

constexpr int LANES = 6;
#if defined(__SANITIZE_ADDRESS__) || __has_feature(address_sanitizer)
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
    // Finished processes are not deleted from their own signal; the run keeps them.
    std::vector<std::unique_ptr<QProcess>> processes;
};

// One cycle of a lane: an instance holds its session for a few milliseconds before it
// is stopped normally or, every third cycle, killed; then the lane's next cycle starts.
void StartCycle(StressRun& run, int lane, int cycle)
{
    QProcess* process = run.processes.emplace_back(std::make_unique<QProcess>()).get();
    const size_t at = run.sessions.size();
    run.sessions.push_back(Session());
    run.sessions[at].killed = (cycle + lane) % 3 == 0;
    auto output = std::make_shared<QByteArray>();
    QObject::connect(process, &QProcess::readyReadStandardOutput, [&run, process, at, output] {
        *output += process->readAllStandardOutput();
        const SessionReport report = ParseSessionReport(*output);
        Session& session = run.sessions[at];
        if (!report.ready || session.readyAt >= 0) {
            return;
        }
        session.readyAt = run.clock.elapsed();
        session.id = report.sessionId;
        session.crashed = report.crashed;
        QTimer::singleShot(std::uniform_int_distribution<int>(0, 15)(run.random), process, [&run, process, at] {
            Session& session = run.sessions[at];
            session.stopAt = run.clock.elapsed();
            if (session.killed) {
                process->kill();
            } else {
                process->write("quit\n");
                process->closeWriteChannel();
            }
        });
    });
    QObject::connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished),
                     [&run, lane, cycle, at](int code, QProcess::ExitStatus status) {
                         Session& session = run.sessions[at];
                         session.exitedCleanly = session.killed ? status == QProcess::CrashExit
                                                                : status == QProcess::NormalExit && code == 0;
                         if (cycle + 1 < CYCLES) {
                             StartCycle(run, lane, cycle + 1);
                         } else if (--run.lanesLeft == 0) {
                             run.loop.quit();
                         }
                     });
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QStringLiteral(TALVEX_HELPER), {QStringLiteral("session-hold")});
}

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
    run.clock.start();
    for (int lane = 0; lane < LANES; ++lane) {
        StartCycle(run, lane, 0);
    }
    QTimer::singleShot(50000, &run.loop, &QEventLoop::quit);
    run.loop.exec();
    ASSERT_EQ(run.lanesLeft, 0) << "the instances did not finish in time";
    // One last start sweeps the crashes that no later cycle was left to find.
    HelperSession sweep("session-quit");
    ASSERT_TRUE(sweep.Report().ready && sweep.Finish());
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
            EXPECT_TRUE(stoppedAt >= 0 && stoppedAt < session.readyAt)
                << "live session " << id.toStdString() << " (first stop at " << stoppedAt << " ms) reported by "
                << session.id.toStdString() << " (ready at " << session.readyAt << " ms)";
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
}

} // namespace
