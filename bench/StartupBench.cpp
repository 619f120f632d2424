// Whole-process start-up and shut-down: a bare QApplication in a program that does not
// link the library against the library's Application with file settings stores, the
// crash session, the instance mutex and the realistic theme. Each iteration starts one process; the time to its first
// event-loop turn (it prints a line then) is reported apart from the whole run.
// SecondLaunch: a product's second start, from exec to exit, handing its command line
// to a running instance, against a bare QCoreApplication linked to the library too.
#include "Startup/RunningInstance.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

#include <benchmark/benchmark.h>

namespace {

// A null `mode` starts the bare program.
void RunProcess(benchmark::State& state, const char* mode, bool untilFirstTurn)
{
    for (auto _ : state) {
        QProcess process;
        process.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        if (mode) {
            process.start(QStringLiteral(TALVEX_STARTUP_PROCESS),
                          {QLatin1String(mode), QStringLiteral(TALVEX_STARTUP_ROOT)});
        } else {
            process.start(QStringLiteral(TALVEX_STARTUP_BARE), QStringList());
        }
        const bool turned = process.waitForReadyRead(30000);
        const double firstTurn = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        if (!turned || !process.waitForFinished(30000) || process.exitCode() != 0) {
            state.SkipWithError("start-up process failed");
            break;
        }
        state.SetIterationTime(untilFirstTurn ? firstTurn : static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
}

void BareFirstTurn(benchmark::State& state)
{
    RunProcess(state, nullptr, true);
}

void FullFirstTurn(benchmark::State& state)
{
    RunProcess(state, "full", true);
}

void Bare(benchmark::State& state)
{
    RunProcess(state, nullptr, false);
}

void Full(benchmark::State& state)
{
    RunProcess(state, "full", false);
}

// Each iteration is one whole process, `arguments` given to the second-launch program.
void RunSecondLaunch(benchmark::State& state, const QStringList& arguments)
{
    for (auto _ : state) {
        QProcess process;
        process.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        process.start(QStringLiteral(TALVEX_SECOND_LAUNCH), arguments);
        if (!process.waitForFinished(30000) || process.exitCode() != 0) {
            state.SkipWithError("the second-launch program failed");
            break;
        }
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
}

void SecondLaunchBare(benchmark::State& state)
{
    RunSecondLaunch(state, {QStringLiteral("bare")});
}

void SecondLaunch(benchmark::State& state)
{
    const Talvex::Bench::RunningInstance instance(QStringLiteral(TALVEX_SECOND_LAUNCH));
    if (!instance.Ready()) {
        state.SkipWithError("no running instance to hand over to");
        return;
    }
    RunSecondLaunch(state, {QStringLiteral("launch"), QLatin1String(Talvex::Bench::RunningInstance::CODE_NAME)});
}

} // namespace

// Wall time: the parent only waits, so its CPU time says nothing about a start-up.
BENCHMARK(BareFirstTurn)
    ->Name("StartupFirstTurn/baseline")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(1.0);
BENCHMARK(FullFirstTurn)
    ->Name("StartupFirstTurn/Application")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(1.0);
BENCHMARK(Bare)->Name("StartupProcess/baseline")->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(1.0);
BENCHMARK(Full)->Name("StartupProcess/Application")->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(1.0);
BENCHMARK(SecondLaunchBare)
    ->Name("SecondLaunch/baseline")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(1.0);
BENCHMARK(SecondLaunch)->Name("SecondLaunch/Launch")->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(1.0);
