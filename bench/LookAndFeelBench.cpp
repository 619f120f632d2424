#include "App/Application/LookAndFeel/LookAndFeelManager.h"
#include "common/Workloads.h"

#include <benchmark/benchmark.h>

// Theme switches between the two themes of the generated realistic theme (bench/Theme),
// against the least a switch must do.

using Talvex::Bench::BENCH_THEMES;

namespace {

void ThemeSwitchBaseline(benchmark::State& state)
{
    Talvex::Bench::ThemeSwitchFloor floor;
    int theme = 0;
    for (auto _ : state) {
        theme = 1 - theme;
        floor.Switch(theme);
    }
}

void ThemeSwitchSetTheme(benchmark::State& state)
{
    Talvex::App::LookAndFeelManager manager(Talvex::ioPath(Talvex::Bench::BenchThemeRoot()),
                                            Talvex::Bench::BENCH_THEME_DESCRIPTION, {});
    manager.Initialize("en_US", BENCH_THEMES[0]);
    if (manager.GetUnitedStylesheet().find("@buttonColor") != std::string::npos) {
        state.SkipWithError("placeholders left in the style sheet");
    }
    int theme = 0;
    for (auto _ : state) {
        theme = 1 - theme;
        manager.SetTheme(BENCH_THEMES[theme]);
    }
    state.counters["sheetBytes"] = static_cast<double>(manager.GetUnitedStylesheet().size());
    manager.SetTheme(std::string());
}

} // namespace

BENCHMARK(ThemeSwitchBaseline)->Name("ThemeSwitch/baseline")->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(ThemeSwitchSetTheme)->Name("ThemeSwitch/SetTheme")->Repetitions(5)->Unit(benchmark::kMillisecond);
