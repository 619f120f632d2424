// Whole-process start-up and shut-down: a bare QApplication against the library's
// Application with file settings stores, the crash session, the instance mutex and a
// two-bundle theme. Each iteration starts one process.
#include <QProcess>
#include <QStringList>

#include <benchmark/benchmark.h>

namespace {

void RunProcess(benchmark::State& state, const char* mode)
{
    for (auto _ : state) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(QStringLiteral(TALVEX_STARTUP_PROCESS),
                      {QLatin1String(mode), QStringLiteral(TALVEX_STARTUP_ROOT)});
        if (!process.waitForFinished(30000) || process.exitCode() != 0) {
            state.SkipWithError("start-up process failed");
            break;
        }
    }
}

void Bare(benchmark::State& state)
{
    RunProcess(state, "bare");
}

void Full(benchmark::State& state)
{
    RunProcess(state, "full");
}

} // namespace

// Wall time: the parent only waits, so its CPU time says nothing about a start-up.
BENCHMARK(Bare)->Name("StartupProcess/baseline")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(Full)->Name("StartupProcess/Application")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
