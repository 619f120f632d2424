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
        const int code = QProcess::execute(QStringLiteral(TALVEX_STARTUP_PROCESS),
                                           {QLatin1String(mode), QStringLiteral(TALVEX_STARTUP_ROOT)});
        if (code != 0) {
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

BENCHMARK(Bare)->Name("StartupProcess/baseline")->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(Full)->Name("StartupProcess/Application")->Unit(benchmark::kMillisecond)->MinTime(2.0);
