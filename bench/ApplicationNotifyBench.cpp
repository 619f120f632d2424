// Per-event cost of the application's notify override against plain QApplication::notify,
// both called on the same application object in the same run.
#include "App/Application/Application.h"
#include "common/ApplicationFactory.h"

#include <QMouseEvent>
#include <QShowEvent>
#include <QTimerEvent>
#include <QWidget>

#include <benchmark/benchmark.h>

namespace {

const bool installed = [] {
    Talvex::Bench::CurrentApplicationFactory() = [](int& argc, char** argv) {
        Talvex::App::Application::AppContext context;
        context.holdInstanceMutex = false;
        return std::make_unique<Talvex::App::Application>(argc, argv, context);
    };
    return true;
}();

class Target : public QWidget {
protected:
    void timerEvent(QTimerEvent*) override {}
};

Talvex::App::Application& App()
{
    return *static_cast<Talvex::App::Application*>(QCoreApplication::instance());
}

void Drag(bool on)
{
    static Target target;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    if (on) {
        App().notify(&target, &press);
        App().notify(&target, &move);
    } else {
        App().notify(&target, &release);
    }
}

template <bool Override> bool Deliver(QObject* receiver, QEvent* event)
{
    return Override ? App().notify(receiver, event) : App().QApplication::notify(receiver, event);
}

template <bool Override> void MouseMove(benchmark::State& state)
{
    Drag(false);
    Target target;
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Deliver<Override>(&target, &move));
    }
}

template <bool Override> void KeyPress(benchmark::State& state)
{
    Target target;
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(Deliver<Override>(&target, &key));
    }
}

template <bool Override, bool Dragging> void Timer(benchmark::State& state)
{
    Drag(Dragging);
    Target target;
    QTimerEvent timer(1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Deliver<Override>(&target, &timer));
    }
    Drag(false);
}

template <bool Override> void Show(benchmark::State& state)
{
    Target target;
    QShowEvent show;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Deliver<Override>(&target, &show));
    }
}

} // namespace

BENCHMARK(MouseMove<false>)->Name("NotifyMouseMove/baseline");
BENCHMARK(MouseMove<true>)->Name("NotifyMouseMove/Application");
BENCHMARK(KeyPress<false>)->Name("NotifyKeyPress/baseline");
BENCHMARK(KeyPress<true>)->Name("NotifyKeyPress/Application");
BENCHMARK(Timer<false, false>)->Name("NotifyTimer/baseline");
BENCHMARK(Timer<true, false>)->Name("NotifyTimer/Application");
BENCHMARK(Timer<false, true>)->Name("NotifyTimerDragging/baseline");
BENCHMARK(Timer<true, true>)->Name("NotifyTimerDragging/Application");
BENCHMARK(Show<false>)->Name("NotifyShow/baseline");
BENCHMARK(Show<true>)->Name("NotifyShow/Application");
