// Usage: FigureInstructions <settings|theme|inertia|startup-wall|second-launch-wall>
//        [bare, start-up and without-library programs | second-launch program]
// Runs the realistic workload of each figure, its baseline first, and brackets every
// measured loop with callgrind's client requests: the counts of one loop are dumped
// under the tag "<figure>/<variant>:<operations>", which the measuring script sums per
// tag. Outside valgrind the same loops are timed and printed as "<tag> <ns>" lines.
// "startup-wall" starts the bare program and the start-up program (linked only, full,
// following the desktop, and the same work without the library) instead, times their
// first event-loop turn and their exit and notes their peak resident memory.
// "second-launch-wall" times a second launch handing over to a running instance against
// a bare QCoreApplication program.
#include "App/Application/Application.h"
#include "App/Application/Gesture/TouchBridge.h"
#include "App/Application/LookAndFeel/LookAndFeelManager.h"
#include "App/Application/Settings/SettingsManager.h"
#include "Platform/Qt/TouchPoints.h"
#include "Startup/RunningInstance.h"
#include "common/Workloads.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QProcess>
#include <QScrollBar>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTimer>
#include <QTouchEvent>
#include <QWindow>
#include <QtTest/QTest>

#include <valgrind/callgrind.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

using namespace Talvex::Bench;
using Talvex::App::SettingsManager;

namespace {

void Measure(const char* figure, const char* variant, int operations, const std::function<void()>& loop)
{
    char tag[128];
    std::snprintf(tag, sizeof tag, "%s/%s:%d", figure, variant, operations);
    QElapsedTimer timer;
    CALLGRIND_START_INSTRUMENTATION;
    CALLGRIND_ZERO_STATS;
    timer.start();
    loop();
    const qint64 elapsed = timer.nsecsElapsed();
    CALLGRIND_DUMP_STATS_AT(tag);
    CALLGRIND_STOP_INSTRUMENTATION;
    std::printf("%s %lld\n", tag, static_cast<long long>(elapsed));
}

struct Stores {
    QTemporaryDir folder;
    QString Path(const char* name) const { return folder.filePath(QLatin1String(name)); }
};

// New keys first (absent before), then every key rewritten with a new value.
void SetIntFigures(const Stores& stores, const std::vector<std::string>& keys)
{
    const std::vector<QString> qtKeys = QtKeys(keys);
    const int count = static_cast<int>(keys.size());
    QSettings raw(stores.Path("raw.ini"), QSettings::IniFormat);
    for (int pass = 0; pass < 2; ++pass) {
        Measure(pass ? "SetInt.rewrite" : "SetInt.new", "baseline", count, [&] {
            for (int i = 0; i < count; ++i) {
                RawSetInt(raw, qtKeys[static_cast<std::size_t>(i)], i + pass);
            }
        });
    }
    SettingsManager manager(stores.Path("manager.ini"), QSettings::IniFormat);
    SettingsManager observed(stores.Path("observed.ini"), QSettings::IniFormat);
    std::vector<CountingObserver> observers(10);
    for (CountingObserver& observer : observers) {
        observed.RegisterObserver(&observer);
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (auto* target : {&manager, &observed}) {
            Talvex::App::ISettingsManager& settings = *target;
            Measure(pass ? "SetInt.rewrite" : "SetInt.new",
                    target == &manager ? "SettingsManager" : "SettingsManager10Observers", count, [&] {
                        for (int i = 0; i < count; ++i) {
                            settings.SetInt(keys[static_cast<std::size_t>(i)], i + pass);
                        }
                    });
        }
    }
}

void GetStringFigures(const Stores& stores, const std::vector<std::string>& keys)
{
    const std::vector<QString> qtKeys = QtKeys(keys);
    const int count = static_cast<int>(keys.size());
    QSettings raw(stores.Path("text-raw.ini"), QSettings::IniFormat);
    SettingsManager manager(stores.Path("text-manager.ini"), QSettings::IniFormat);
    Talvex::App::ISettingsManager& settings = manager;
    for (int i = 0; i < count; ++i) {
        raw.setValue(qtKeys[static_cast<std::size_t>(i)], QString::fromStdString(PathValue(i)));
        settings.SetString(keys[static_cast<std::size_t>(i)], PathValue(i));
    }
    std::size_t bytes = 0;
    const auto readRaw = [&] {
        for (const QString& key : qtKeys) {
            bytes += raw.value(key).toString().toStdString().size();
        }
    };
    const std::string fallback;
    const auto readManager = [&] {
        for (const std::string& key : keys) {
            bytes += settings.GetString(key, fallback).size();
        }
    };
    readRaw();
    readManager();
    Measure("GetString", "baseline", count, readRaw);
    Measure("GetString", "SettingsManager", count, readManager);
    std::fprintf(stderr, "read %zu bytes\n", bytes);
}

void ThemeFigures()
{
    constexpr int SWITCHES = 10;
    {
        ThemeSwitchFloor floor;
        floor.Switch(0);
        Measure("ThemeSwitch", "baseline", SWITCHES, [&] {
            for (int i = 1; i <= SWITCHES; ++i) {
                floor.Switch(i % 2);
            }
        });
    }
    Talvex::App::LookAndFeelManager manager(Talvex::ioPath(BenchThemeRoot()), BENCH_THEME_DESCRIPTION, {});
    manager.Initialize("en_US", BENCH_THEMES[0]);
    if (manager.GetUnitedStylesheet().find("@buttonColor") != std::string::npos) {
        qFatal("placeholders left in the style sheet");
    }
    Measure("ThemeSwitch", "SetTheme", SWITCHES, [&] {
        for (int i = 1; i <= SWITCHES; ++i) {
            manager.SetTheme(BENCH_THEMES[i % 2]);
        }
    });
    manager.SetTheme(std::string());
}

// A flick at the speed cap, 300 pixels in 50 ms, sent to the list's window as the
// window system would; the lift leaves the touch bridge gliding.
void Flick(QListView& list)
{
    static Talvex::QtCompat::TouchDevice* const device = QTest::createTouchDevice();
    QWindow* window = list.window()->windowHandle();
    for (int step = 0; step <= 5; ++step) {
        const QPoint at = list.viewport()->mapTo(&list, QPoint(100, 190 - 60 * step));
        const auto state = step == 0 ? Qt::TouchPointPressed : step == 5 ? Qt::TouchPointReleased : Qt::TouchPointMoved;
        const auto type = step == 0 ? QEvent::TouchBegin : step == 5 ? QEvent::TouchEnd : QEvent::TouchUpdate;
        const auto event = Talvex::QtCompat::NewTouchEvent(
            type, device, {Talvex::QtCompat::MakeTouchPoint(0, state, at, list.mapToGlobal(at))});
        event->setTimestamp(ulong(1000 + 10 * step));
        QCoreApplication::sendEvent(window, event.get());
    }
}

// One glide frame, from the frame timer's event through the application's notify to
// the list's scroll-bar update, against the same scroll-bar values set directly. The
// glide's clock moves one frame per read, so every flick glides the same frames.
void InertiaFigures()
{
    constexpr int FLICKS = 20;
    QStringList rows;
    for (int row = 0; row < 20000; ++row) {
        rows << QStringLiteral("clip %1.mp4").arg(row);
    }
    QStringListModel model(rows);
    QListView list;
    list.setModel(&model);
    list.setUniformItemSizes(true);
    list.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list.resize(200, 200);
    list.show();
    QApplication::processEvents();
    auto* bridge = qApp->findChild<Talvex::App::Gesture::TouchBridge*>();
    QTimer* frames = bridge ? bridge->findChild<QTimer*>() : nullptr;
    if (!frames) {
        qFatal("the application has no touch bridge");
    }
    bridge->SetClock(
        [now = std::chrono::steady_clock::time_point()]() mutable { return now += std::chrono::milliseconds(16); });
    QScrollBar* bar = list.verticalScrollBar();
    const auto glide = [&](std::vector<int>* values) {
        int count = 0;
        while (frames->isActive()) {
            QTimerEvent tick(frames->timerId());
            QCoreApplication::sendEvent(frames, &tick);
            ++count;
            if (values) {
                values->push_back(bar->value());
            }
        }
        return count;
    };
    Flick(list);
    const int lifted = bar->value();
    std::vector<int> values;
    const int count = glide(&values);
    if (count < 10 || values.back() <= lifted) {
        qFatal("the flick did not glide");
    }
    for (int flick = 0; flick < FLICKS; ++flick) {
        bar->setValue(lifted);
        Measure("InertiaFrame", "baseline", count, [&] {
            for (const int value : values) {
                bar->setValue(value);
            }
        });
        bar->setValue(0);
        Flick(list);
        Measure("InertiaFrame", "TouchBridge", count, [&] { glide(nullptr); });
        if (bar->value() != values.back()) {
            qFatal("the glide went elsewhere");
        }
    }
}

// One start-up of `command`: the time until the first event-loop turn (the program
// prints a line then), until the process has gone, and the peak resident memory it
// prints last.
struct StartupSample {
    qint64 firstTurn = 0;
    qint64 exit = 0;
    qint64 peakKilobytes = 0;
};

StartupSample StartupRun(const QStringList& command)
{
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(command.front(), command.mid(1));
    if (!process.waitForReadyRead(30000)) {
        qFatal("the start-up program did not reach its event loop");
    }
    StartupSample sample;
    sample.firstTurn = timer.nsecsElapsed();
    process.waitForFinished(30000);
    sample.exit = timer.nsecsElapsed() - sample.firstTurn;
    const QList<QByteArray> words = process.readAllStandardOutput().simplified().split(' ');
    const int peak = words.indexOf("peak-kB");
    if (peak < 0 || peak + 1 >= words.size()) {
        qFatal("the start-up program did not print its peak memory");
    }
    sample.peakKilobytes = words[peak + 1].toLongLong();
    return sample;
}

qint64 Median(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the sides in turn, so that each sees the same machine load, and prints the
// medians as "<wall|mem> <tag> <value>" lines.
void StartupFigures(const QString& bare, const QString& program, const QString& plain)
{
    constexpr int RUNS = 31;
    const char* variants[] = {"baseline", "LinkedOnly", "Application", "Following", "WithoutLibrary"};
    const QStringList commands[] = {{bare},
                                    {program, QStringLiteral("linked"), BenchThemeRoot()},
                                    {program, QStringLiteral("full"), BenchThemeRoot()},
                                    {program, QStringLiteral("following"), BenchThemeRoot()},
                                    {plain, BenchThemeRoot()}};
    constexpr int SIDES = sizeof(variants) / sizeof(variants[0]);
    std::vector<qint64> times[SIDES][3];
    for (int run = 0; run <= RUNS; ++run) {
        for (int side = 0; side < SIDES; ++side) {
            const StartupSample sample = StartupRun(commands[side]);
            if (run > 0) { // the first run of each side only warms the caches
                times[side][0].push_back(sample.firstTurn);
                times[side][1].push_back(sample.exit);
                times[side][2].push_back(sample.peakKilobytes);
            }
        }
    }
    for (int side = 0; side < SIDES; ++side) {
        const char* variant = variants[side];
        std::printf("wall Startup.firstTurn/%s:1 %lld\n", variant, static_cast<long long>(Median(times[side][0])));
        std::printf("wall Startup.exit/%s:0 %lld\n", variant, static_cast<long long>(Median(times[side][1])));
        std::printf("mem StartupPeakMemory/%s:1 %lld\n", variant, static_cast<long long>(Median(times[side][2])));
    }
}

// Whole processes, from exec to exit, the sides in turn; prints the medians.
void SecondLaunchFigures(const QString& program)
{
    constexpr int RUNS = 31;
    const Talvex::Bench::RunningInstance instance(program);
    if (!instance.Ready()) {
        qFatal("the running instance did not start");
    }
    const char* variants[] = {"baseline", "Launch"};
    const QStringList arguments[] = {
        {QStringLiteral("bare")}, {QStringLiteral("launch"), QLatin1String(Talvex::Bench::RunningInstance::CODE_NAME)}};
    std::vector<qint64> times[2];
    for (int run = 0; run <= RUNS; ++run) {
        for (int side = 0; side < 2; ++side) {
            QProcess process;
            QElapsedTimer timer;
            timer.start();
            process.start(program, arguments[side]);
            if (!process.waitForFinished(30000) || process.exitCode() != 0) {
                qFatal("the second-launch program failed");
            }
            if (run > 0) {
                times[side].push_back(timer.nsecsElapsed());
            }
        }
    }
    for (int side = 0; side < 2; ++side) {
        std::printf("wall SecondLaunch/%s:1 %lld\n", variants[side], static_cast<long long>(Median(times[side])));
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <settings|theme|inertia|startup-wall> [bare, start-up and without-library programs]\n",
                     argv[0]);
        return 2;
    }
    if (std::strcmp(argv[1], "inertia") == 0) {
        // The glide's frames pass the library's own notify, as in a product.
        Talvex::App::Application::AppContext context;
        context.holdInstanceMutex = false;
        Talvex::App::Application app(argc, argv, context);
        InertiaFigures();
        return 0;
    }
    QApplication app(argc, argv);
    const Stores stores;
    if (std::strcmp(argv[1], "settings") == 0) {
        const std::vector<std::string> keys = SettingsKeys();
        SetIntFigures(stores, keys);
        GetStringFigures(stores, keys);
    } else if (std::strcmp(argv[1], "theme") == 0) {
        ThemeFigures();
    } else if (std::strcmp(argv[1], "second-launch-wall") == 0 && argc > 2) {
        SecondLaunchFigures(QString::fromLocal8Bit(argv[2]));
    } else if (std::strcmp(argv[1], "startup-wall") == 0 && argc > 4) {
        StartupFigures(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
    } else {
        return 2;
    }
    return 0;
}
