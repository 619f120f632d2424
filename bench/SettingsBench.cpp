#include "App/Application/Settings/SettingsManager.h"

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

} // namespace

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
