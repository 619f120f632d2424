#pragma once

#include "App/Application/Settings/ISettingsManagerObserver.h"

#include <QSettings>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// The realistic workloads shared by the wall-time benchmarks and the instruction counts,
// so that both measure exactly the same work.
namespace Talvex::Bench {

// 10,000 distinct keys like "group_042/setting_key_7".
std::vector<std::string> SettingsKeys();
std::vector<QString> QtKeys(const std::vector<std::string>& keys);
// Text values the size of real ones: "/home/u/Videos/Holiday 12/clip_4217.mp4".
std::string PathValue(int index);

// What a caller pays with QSettings alone for one SetInt: read, compare, write.
void RawSetInt(QSettings& settings, const QString& key, int value);

class CountingObserver : public App::ISettingsManagerObserver {
public:
    void OnBoolChanged(const std::string&, bool, const boost::optional<bool>&) override { ++calls; }
    void OnIntChanged(const std::string&, int, const boost::optional<int>&) override { ++calls; }
    void OnStringChanged(const std::string&, const std::string&, const boost::optional<std::string>&) override
    {
        ++calls;
    }
    void OnByteArrayChanged(const std::string&, const std::vector<unsigned char>&,
                            const boost::optional<std::vector<unsigned char>>&) override
    {
        ++calls;
    }
    void OnInt64Changed(const std::string&, long long, const boost::optional<long long>&) override { ++calls; }
    void OnDoubleChanged(const std::string&, double, const boost::optional<double>&) override { ++calls; }
    long long calls = 0;
};

// The generated theme (bench/Theme): two themes of four bundles each under this root.
QString BenchThemeRoot();
extern const char* const BENCH_THEMES[2];
constexpr char BENCH_THEME_DESCRIPTION[] = "description.json";

// The least any switch between the two themes must do: unregister the previous
// bundles, register the four of the other theme, read every file a switch reads and
// register the font its manifest names.
class ThemeSwitchFloor {
public:
    ~ThemeSwitchFloor();
    void Switch(int theme);

private:
    QStringList mounted;
};

} // namespace Talvex::Bench
