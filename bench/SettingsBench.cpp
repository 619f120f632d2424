#include "App/Application/Settings/SettingsManager.h"
#include "common/Workloads.h"

#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

// Both sides of every figure work on a file store in a fresh temporary folder, on the
// same key, and writes alternate between two values so that each one is a change.

using Talvex::App::ISettingsManagerObserver;
using Talvex::App::SettingsManager;

namespace {

const char* const kKey = "General/Value";
const char* const kText = "Language de_DE";

class NoOpObserver : public ISettingsManagerObserver {
public:
    void OnBoolChanged(const std::string&, bool, const boost::optional<bool>&) override {}
    void OnIntChanged(const std::string&, int, const boost::optional<int>&) override {}
    void OnStringChanged(const std::string&, const std::string&, const boost::optional<std::string>&) override {}
    void OnByteArrayChanged(const std::string&, const std::vector<unsigned char>&,
                            const boost::optional<std::vector<unsigned char>>&) override
    {
    }
    void OnInt64Changed(const std::string&, long long, const boost::optional<long long>&) override {}
    void OnDoubleChanged(const std::string&, double, const boost::optional<double>&) override {}
};

struct Store {
    QTemporaryDir folder;
    QString Path() const { return folder.filePath(QStringLiteral("bench.ini")); }
};

void SetIntChangedBaseline(benchmark::State& state)
{
    Store store;
    QSettings settings(store.Path(), QSettings::IniFormat);
    const QString key = QString::fromUtf8(kKey);
    int value = 0;
    for (auto _ : state) {
        value ^= 1;
        const QVariant newValue(value);
        if (settings.value(key) != newValue) {
            settings.setValue(key, newValue);
        }
    }
}

// What a caller holding the library's UTF-8 key pays with QSettings alone.
void SetIntChangedUtf8KeyBaseline(benchmark::State& state)
{
    Store store;
    QSettings settings(store.Path(), QSettings::IniFormat);
    const std::string key = kKey;
    int value = 0;
    for (auto _ : state) {
        value ^= 1;
        const QString qtKey = QString::fromStdString(key);
        const QVariant newValue(value);
        if (settings.value(qtKey) != newValue) {
            settings.setValue(qtKey, newValue);
        }
    }
}

void SetIntChangedWithObservers(benchmark::State& state, int observerCount)
{
    Store store;
    SettingsManager settings(store.Path(), QSettings::IniFormat);
    std::vector<NoOpObserver> observers(static_cast<std::size_t>(observerCount));
    for (NoOpObserver& observer : observers) {
        settings.RegisterObserver(&observer);
    }
    const std::string key = kKey;
    int value = 0;
    for (auto _ : state) {
        value ^= 1;
        settings.SetInt(key, value);
    }
}

void SetIntChangedManager(benchmark::State& state)
{
    SetIntChangedWithObservers(state, 0);
}

void SetIntChangedManager10Observers(benchmark::State& state)
{
    SetIntChangedWithObservers(state, 10);
}

void GetStringBaseline(benchmark::State& state)
{
    Store store;
    QSettings settings(store.Path(), QSettings::IniFormat);
    const QString key = QString::fromUtf8(kKey);
    settings.setValue(key, QString::fromUtf8(kText));
    for (auto _ : state) {
        QString text = settings.value(key).toString();
        benchmark::DoNotOptimize(text);
    }
}

// The same read by a caller that holds the key and wants the text as UTF-8, as the
// manager's callers do.
void GetStringUtf8Baseline(benchmark::State& state)
{
    Store store;
    QSettings settings(store.Path(), QSettings::IniFormat);
    const std::string key = kKey;
    settings.setValue(QString::fromStdString(key), QString::fromUtf8(kText));
    for (auto _ : state) {
        std::string text = settings.value(QString::fromStdString(key)).toString().toStdString();
        benchmark::DoNotOptimize(text);
    }
}

void GetStringManager(benchmark::State& state)
{
    Store store;
    SettingsManager settings(store.Path(), QSettings::IniFormat);
    const std::string key = kKey;
    const std::string fallback;
    settings.SetString(key, kText);
    for (auto _ : state) {
        std::string text = settings.GetString(key, fallback);
        benchmark::DoNotOptimize(text);
    }
}

// The realistic cases: 10,000 distinct keys, written once while absent and then
// rewritten with new values, in turn; the texts are read after a first read of each.
void SetIntManyKeysBaseline(benchmark::State& state)
{
    Store store;
    QSettings settings(store.Path(), QSettings::IniFormat);
    const std::vector<QString> keys = Talvex::Bench::QtKeys(Talvex::Bench::SettingsKeys());
    std::size_t i = 0;
    for (auto _ : state) {
        Talvex::Bench::RawSetInt(settings, keys[i % keys.size()], static_cast<int>(i / keys.size()));
        ++i;
    }
}

void SetIntManyKeysWithObservers(benchmark::State& state, int observerCount)
{
    Store store;
    SettingsManager manager(store.Path(), QSettings::IniFormat);
    std::vector<Talvex::Bench::CountingObserver> observers(static_cast<std::size_t>(observerCount));
    for (auto& observer : observers) {
        manager.RegisterObserver(&observer);
    }
    Talvex::App::ISettingsManager& settings = manager;
    const std::vector<std::string> keys = Talvex::Bench::SettingsKeys();
    std::size_t i = 0;
    for (auto _ : state) {
        settings.SetInt(keys[i % keys.size()], static_cast<int>(i / keys.size()));
        ++i;
    }
}

void SetIntManyKeysManager(benchmark::State& state)
{
    SetIntManyKeysWithObservers(state, 0);
}

void SetIntManyKeysManager10Observers(benchmark::State& state)
{
    SetIntManyKeysWithObservers(state, 10);
}

void GetStringManyKeysBaseline(benchmark::State& state)
{
    Store store;
    QSettings settings(store.Path(), QSettings::IniFormat);
    const std::vector<QString> keys = Talvex::Bench::QtKeys(Talvex::Bench::SettingsKeys());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        settings.setValue(keys[i], QString::fromStdString(Talvex::Bench::PathValue(static_cast<int>(i))));
        benchmark::DoNotOptimize(settings.value(keys[i]));
    }
    std::size_t i = 0;
    for (auto _ : state) {
        std::string text = settings.value(keys[i++ % keys.size()]).toString().toStdString();
        benchmark::DoNotOptimize(text);
    }
}

void GetStringManyKeysManager(benchmark::State& state)
{
    Store store;
    SettingsManager manager(store.Path(), QSettings::IniFormat);
    Talvex::App::ISettingsManager& settings = manager;
    const std::vector<std::string> keys = Talvex::Bench::SettingsKeys();
    const std::string fallback;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        settings.SetString(keys[i], Talvex::Bench::PathValue(static_cast<int>(i)));
        benchmark::DoNotOptimize(settings.GetString(keys[i], fallback));
    }
    std::size_t i = 0;
    for (auto _ : state) {
        std::string text = settings.GetString(keys[i++ % keys.size()], fallback);
        benchmark::DoNotOptimize(text);
    }
}

} // namespace

BENCHMARK(SetIntManyKeysBaseline)->Name("SetIntManyKeys/baseline")->Iterations(20000);
BENCHMARK(SetIntManyKeysManager)->Name("SetIntManyKeys/SettingsManager")->Iterations(20000);
BENCHMARK(SetIntManyKeysManager10Observers)->Name("SetIntManyKeys/SettingsManager10Observers")->Iterations(20000);
BENCHMARK(GetStringManyKeysBaseline)->Name("GetStringManyKeys/baseline");
BENCHMARK(GetStringManyKeysManager)->Name("GetStringManyKeys/SettingsManager");
BENCHMARK(SetIntChangedBaseline)->Name("SetIntChanged/baseline");
BENCHMARK(SetIntChangedManager)->Name("SetIntChanged/SettingsManager");
BENCHMARK(SetIntChangedManager10Observers)->Name("SetIntChanged/SettingsManager10Observers");
BENCHMARK(SetIntChangedUtf8KeyBaseline)->Name("SetIntChangedUtf8Key/baseline");
BENCHMARK(SetIntChangedManager)->Name("SetIntChangedUtf8Key/SettingsManager");
BENCHMARK(SetIntChangedManager10Observers)->Name("SetIntChangedUtf8Key/SettingsManager10Observers");
BENCHMARK(GetStringBaseline)->Name("GetString/baseline");
BENCHMARK(GetStringManager)->Name("GetString/SettingsManager");
BENCHMARK(GetStringUtf8Baseline)->Name("GetStringUtf8/baseline");
BENCHMARK(GetStringManager)->Name("GetStringUtf8/SettingsManager");
