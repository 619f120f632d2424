// Start of a crash session when earlier crashes left 1,000 records in the session file.
//
// baseline:          open the session file with QSettings and list its keys, the least
//                    any start has to do with a file of that size
// staleRecords1000:  CrashTracker construction, taking of the list and destruction on
//                    that file: the same read, a process check per record, their move
//                    into this start's claim and three writes of the file (the start,
//                    the hand-over that ends the claim, the stop)
// emptyFile:         the same on a file without records, for scale
#include "App/Application/CrashTracker.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <benchmark/benchmark.h>

namespace {

constexpr int STALE_RECORDS = 1000;

QString SessionFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/Talvex/clipforge 20.1.2/") + QFileInfo(QCoreApplication::applicationFilePath()).baseName() +
           QStringLiteral(".ini");
}

// The file as crashed runs leave it: pids far above any live one, one session id each.
QByteArray StaleFileContent(int records)
{
    QByteArray content("[General]\n");
    for (int i = 0; i < records; ++i) {
        content += QByteArray::number(3000000 + i) + "=240101-120000-" + QByteArray::number(100000 + i) + '\n';
    }
    return content;
}

// Rewrites the file with a modification time of its own, so that no settings cache of
// this process can take it for the file it read before.
void Restore(const QByteArray& content)
{
    static qint64 stamp = QDateTime::currentSecsSinceEpoch() - 1000000;
    QDir().mkpath(QFileInfo(SessionFile()).path());
    QFile file(SessionFile());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size()) {
        std::abort();
    }
    file.setFileTime(QDateTime::fromSecsSinceEpoch(++stamp), QFileDevice::FileModificationTime);
}

void CrashTrackerStart_baseline(benchmark::State& state)
{
    const QByteArray content = StaleFileContent(STALE_RECORDS);
    for (auto _ : state) {
        state.PauseTiming();
        Restore(content);
        state.ResumeTiming();
        QSettings store(SessionFile(), QSettings::IniFormat);
        const QStringList keys = store.allKeys();
        if (keys.size() != STALE_RECORDS) {
            state.SkipWithError("the file did not read back");
        }
        benchmark::DoNotOptimize(keys);
    }
}

void RunTrackers(benchmark::State& state, int records)
{
    const QByteArray content = StaleFileContent(records);
    for (auto _ : state) {
        state.PauseTiming();
        Restore(content);
        state.ResumeTiming();
        Talvex::App::CrashTracker tracker;
        if (tracker.BadSessionsList().size() != static_cast<size_t>(records)) {
            state.SkipWithError("the stale records were not all found");
        }
    }
}

void CrashTrackerStart_staleRecords1000(benchmark::State& state)
{
    RunTrackers(state, STALE_RECORDS);
}

void CrashTrackerStart_emptyFile(benchmark::State& state)
{
    RunTrackers(state, 0);
}

} // namespace

BENCHMARK(CrashTrackerStart_baseline)->Name("CrashTrackerStart/baseline")->Unit(benchmark::kMicrosecond);
BENCHMARK(CrashTrackerStart_staleRecords1000)
    ->Name("CrashTrackerStart/staleRecords1000")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(CrashTrackerStart_emptyFile)->Name("CrashTrackerStart/emptyFile")->Unit(benchmark::kMicrosecond);
