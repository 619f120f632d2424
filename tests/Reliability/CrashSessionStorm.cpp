// Many instances of one program starting, stopping and crashing at once against one
// session file: crashes must be found, live sessions must never be taken for crashes.
#include "Application/SessionHelper.h"
#include "Soak.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

using namespace Talvex::Test;

namespace {

constexpr int LANES = 8;
// An instrumented start is about twenty times slower; fewer cycles keep the run
// inside the time-out while every lane still overlaps the others.
const int CYCLES = (Instrumented() ? 12 : 100) * SoakFactor();

enum class Fate { Stop, KillAfterReport, KillInStart };

struct Session {
    Fate fate = Fate::Stop;
    QString id;
    qint64 takingAt = -1; // when it said it was taking the list, ms into the run
    qint64 readyAt = -1;  // when its report was complete
    qint64 stopAt = -1;   // when the kill or the stop was sent
    QStringList crashed;
    // Killed while its claim was still in the file: the list is handed over without
    // waiting for the file's guard, and a start killed before it could give the claim
    // up leaves those crashes to be reported once more. Never lost, at worst twice.
    bool killedWhileClaiming = false;
    bool exitedAsPlanned = false;
};

struct StormRun {
    QElapsedTimer clock;
    std::vector<Session> sessions;
    std::mt19937 random{20120};
    int lanesLeft = LANES;
    int malformedFiles = 0;
    QEventLoop loop;
    // Finished processes are not deleted from their own signal; the run keeps them.
    std::vector<std::unique_ptr<QProcess>> processes;
};

// The session file as QSettings writes it: "pid=id" records, and sections named after
// a start's process id holding the crashes it claimed, numbered.
bool SessionFileIsWellFormed()
{
    static const QRegularExpression line(QStringLiteral("^(\\[General\\]|\\[\\d+\\]|\\d+=\\d{6}-\\d{6}-\\d{6})?$"));
    QFile file(HelperSessionFile());
    if (!file.open(QIODevice::ReadOnly)) {
        return !file.exists();
    }
    for (const QByteArray& text : file.readAll().split('\n')) {
        if (!line.match(QString::fromUtf8(text)).hasMatch()) {
            return false;
        }
    }
    return true;
}

Fate DrawFate(StormRun& run)
{
    const int draw = std::uniform_int_distribution<int>(0, 99)(run.random);
    return draw < 5 ? Fate::KillInStart : draw < 35 ? Fate::KillAfterReport : Fate::Stop;
}

void StartCycle(StormRun& run, int lane, int cycle);

void Stop(StormRun& run, QProcess* process, size_t at)
{
    Session& session = run.sessions[at];
    if (session.stopAt >= 0) {
        return;
    }
    session.stopAt = run.clock.elapsed();
    if (session.fate == Fate::Stop) {
        process->write("quit\n");
        process->closeWriteChannel();
        return;
    }
    const QString claim = QString::number(process->processId()) + QLatin1Char('/');
    const QStringList entries = RecordsIn(HelperSessionFile()).keys();
    session.killedWhileClaiming =
        std::any_of(entries.begin(), entries.end(), [&claim](const QString& key) { return key.startsWith(claim); });
    process->kill();
}

// A report that was printed counts even when the kill reached the process before the
// harness read it: the kill cannot take back what the process already reported.
void OnOutput(StormRun& run, QProcess* process, size_t at, QByteArray& output)
{
    output += process->readAllStandardOutput();
    const SessionReport report = ParseSessionReport(output);
    Session& session = run.sessions[at];
    session.id = report.sessionId;
    if (report.taking && session.takingAt < 0) {
        session.takingAt = run.clock.elapsed();
    }
    if (!report.ready || session.readyAt >= 0) {
        return;
    }
    session.readyAt = run.clock.elapsed();
    session.crashed = report.crashed;
    if (session.stopAt < 0) {
        QTimer::singleShot(std::uniform_int_distribution<int>(0, 15)(run.random), process,
                           [&run, process, at] { Stop(run, process, at); });
    }
}

void OnFinished(StormRun& run, int lane, int cycle, size_t at, QProcess::ExitStatus status, int code, QProcess* process,
                QByteArray& output)
{
    OnOutput(run, process, at, output);
    Session& session = run.sessions[at];
    // A kill meant for the start that came after the report is a kill after the report.
    if (session.fate == Fate::KillInStart && session.readyAt >= 0) {
        session.fate = Fate::KillAfterReport;
    }
    session.exitedAsPlanned =
        session.fate == Fate::Stop ? status == QProcess::NormalExit && code == 0 : status == QProcess::CrashExit;
    if (session.fate != Fate::Stop && !SessionFileIsWellFormed()) {
        ++run.malformedFiles;
    }
    if (cycle + 1 < CYCLES) {
        StartCycle(run, lane, cycle + 1);
    } else if (--run.lanesLeft == 0) {
        run.loop.quit();
    }
}

void StartCycle(StormRun& run, int lane, int cycle)
{
    QProcess* process = run.processes.emplace_back(std::make_unique<QProcess>()).get();
    const size_t at = run.sessions.size();
    run.sessions.push_back(Session());
    run.sessions[at].fate = DrawFate(run);
    auto output = std::make_shared<QByteArray>();
    QObject::connect(process, &QProcess::readyReadStandardOutput,
                     [&run, process, at, output] { OnOutput(run, process, at, *output); });
    QObject::connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished),
                     [&run, lane, cycle, at, process, output](int code, QProcess::ExitStatus status) {
                         OnFinished(run, lane, cycle, at, status, code, process, *output);
                     });
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QStringLiteral(TALVEX_SESSION_HELPER), {QStringLiteral("session-hold")});
    if (run.sessions[at].fate == Fate::KillInStart) {
        // A start takes some tens of milliseconds; a kill somewhere inside it, the
        // session file's write included.
        QTimer::singleShot(std::uniform_int_distribution<int>(0, 60)(run.random), process,
                           [&run, process, at] { Stop(run, process, at); });
    }
}

// Why no start reported a crash, judged by the starts killed before their report soon
// after it died. One killed after it said it was taking the list may have taken the
// crash along: once handed over, a crash is the product's to report, and a kill then
// loses it whatever the tracker does. One killed before that left the crash in its
// claim for the next start, so a loss there is the tracker's fault, told apart from
// other losses for diagnosis.
enum class Unreported { Lost, SweptByAKilledStart, TakenByAKilledStart };

Unreported WhyUnreported(const StormRun& run, qint64 deadAt)
{
    Unreported why = Unreported::Lost;
    for (const Session& session : run.sessions) {
        if (session.fate != Fate::KillInStart || session.readyAt >= 0 || session.stopAt < deadAt) {
            continue;
        }
        if (session.takingAt >= 0 && session.stopAt <= deadAt + 1000) {
            return Unreported::TakenByAKilledStart;
        }
        if (session.stopAt <= deadAt + 100) {
            why = Unreported::SweptByAKilledStart;
        }
    }
    return why;
}

struct Tally {
    int killed = 0; // killed after their report
    int killedInStart = 0;
    int reports = 0;
    int reportersKilledWhileClaiming = 0;
    qint64 stopAt = -1;
};

} // namespace

TEST(CrashSessionStorm, KillsAtRandomPointsLoseNoCrashReportInventNoneAndRepeatOnlyWhatAKilledClaimHeld)
{
    QFile::remove(HelperSessionFile());
    StormRun run;
    run.clock.start();
    for (int lane = 0; lane < LANES; ++lane) {
        StartCycle(run, lane, 0);
    }
    QTimer::singleShot(25 * 60 * 1000, &run.loop, &QEventLoop::quit);
    run.loop.exec();
    ASSERT_EQ(run.lanesLeft, 0) << "the instances did not finish in time";
    // One last start sweeps the crashes that no later cycle was left to find.
    HelperSession sweep("session-quit");
    ASSERT_TRUE(sweep.Report().ready && sweep.Finish());

    QMap<QString, Tally> byId;
    int killedInStartWithoutId = 0;
    for (const Session& session : run.sessions) {
        EXPECT_TRUE(session.exitedAsPlanned) << session.id.toStdString();
        if (session.id.isEmpty()) {
            killedInStartWithoutId += session.fate == Fate::KillInStart ? 1 : 0;
            continue;
        }
        Tally& tally = byId[session.id];
        tally.killed += session.fate == Fate::KillAfterReport ? 1 : 0;
        tally.killedInStart += session.fate == Fate::KillInStart ? 1 : 0;
        tally.stopAt = session.stopAt;
    }
    EXPECT_EQ(byId.size() + killedInStartWithoutId, static_cast<int>(run.sessions.size())) << "identifiers repeat";

    int phantoms = 0;
    QSet<QString> unknownReported;
    QSet<QString> unknownExcused;
    for (const Session& session : run.sessions) {
        for (const QString& id : session.crashed) {
            if (!byId.contains(id)) {
                EXPECT_TRUE(!unknownReported.contains(id) || unknownExcused.contains(id))
                    << "reported twice: " << id.toStdString();
                unknownReported.insert(id);
                if (session.killedWhileClaiming) {
                    unknownExcused.insert(id);
                }
                continue;
            }
            // A report complete before the session was even told to stop names a live one.
            const qint64 stoppedAt = byId[id].stopAt;
            phantoms += stoppedAt < 0 || stoppedAt >= session.readyAt ? 1 : 0;
            byId[id].reports += 1;
            byId[id].reportersKilledWhileClaiming += session.killedWhileClaiming ? 1 : 0;
        }
    }
    for (const QString& id : sweep.Report().crashed) {
        if (byId.contains(id)) {
            byId[id].reports += 1;
        } else {
            unknownReported.insert(id);
        }
    }
    int killed = 0;
    int killedInStart = killedInStartWithoutId;
    int lost = 0;
    int lostToKilledStarts = 0;
    int takenByKilledStarts = 0;
    int twice = 0;
    int againAfterAClaimantsKill = 0;
    int inStartReported = unknownReported.size();
    for (auto tally = byId.cbegin(); tally != byId.cend(); ++tally) {
        killed += tally->killed;
        killedInStart += tally->killedInStart;
        if (tally->reports > 1) {
            std::printf("reported %d times: %s, stopped at %lld ms\n", tally->reports, qPrintable(tally.key()),
                        tally->stopAt);
        }
        const int allowed = 1 + tally->reportersKilledWhileClaiming;
        againAfterAClaimantsKill += tally->reports > 1 && tally->reports <= allowed ? 1 : 0;
        twice += tally->reports > allowed ? 1 : 0;
        if (tally->killedInStart) {
            inStartReported += tally->reports;
            continue;
        }
        if (tally->killed && tally->reports == 0) {
            const Unreported why = WhyUnreported(run, tally->stopAt);
            std::printf("unreported %s, killed at %lld ms%s\n", qPrintable(tally.key()), tally->stopAt,
                        why == Unreported::Lost                  ? ""
                        : why == Unreported::SweptByAKilledStart ? ", a start killed right after"
                                                                 : ", a start killed after taking the list");
            (why == Unreported::Lost                  ? lost
             : why == Unreported::SweptByAKilledStart ? lostToKilledStarts
                                                      : takenByKilledStarts) += 1;
        }
        phantoms += !tally->killed && tally->reports > 0 ? 1 : 0;
    }
    std::printf("%d sessions: %d killed after their report, %d killed inside their start (%d of those reported "
                "later, %d never recorded); phantom %d, twice %d (and %d again after a start killed before it gave "
                "up its claim), lost %d (and %d swept by a start killed "
                "before its report), malformed file after a kill %d; %d taken by a start killed between "
                "taking the list and printing it\n",
                int(run.sessions.size()), killed, killedInStart, inStartReported, killedInStart - inStartReported,
                phantoms, twice, againAfterAClaimantsKill, lost, lostToKilledStarts, run.malformedFiles,
                takenByKilledStarts);
    EXPECT_LE(inStartReported, killedInStart) << "more unknown sessions reported than starts killed";
    EXPECT_EQ(phantoms, 0);
    EXPECT_EQ(twice, 0);
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(lostToKilledStarts, 0);
    EXPECT_EQ(run.malformedFiles, 0);
    EXPECT_TRUE(RecordsIn(HelperSessionFile()).isEmpty());
}
