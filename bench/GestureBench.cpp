// Gesture figures against baselines of the same run: decoding one gesture message
// against a plain copy of the system's gesture record, and routing a touch on a widget
// nested 20 deep against looking the widget up alone.
#include "App/Application/Gesture/Emitter.h"
#include "App/Application/Gesture/GestureDecoder.h"
#include "App/Application/Gesture/Router.h"
#include "Platform/Native/GestureEntryPoints.h"

#include <QApplication>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace {

using namespace Talvex;
using App::Gesture::Gesture;

// The system's side of a gesture message, as cheap as it can be: one record copy.
int CopyInfo(Native::HGESTUREINFO handle, Native::GESTUREINFO* info)
{
    std::memcpy(info, handle, sizeof(*info));
    return 1;
}
int Close(Native::HGESTUREINFO)
{
    return 1;
}
int Config(Native::HWND, std::uint32_t, std::uint32_t, Native::GESTURECONFIG*, std::uint32_t)
{
    return 1;
}
int ToClient(Native::HWND, Native::POINT* point)
{
    point->x -= 100;
    point->y -= 100;
    return 1;
}

class PanSink : public App::Gesture::Consumer {
public:
    int WantGesture(const Gesture::Pan&) override { return Gesture::All; }
    void OnGesture(const Gesture::Pan& pan) override { benchmark::DoNotOptimize(pan.position.x); }
};

class NotifiedRouter : public App::Gesture::Router {
public:
    explicit NotifiedRouter(App::Gesture::Consumer* consumer) : consumer(consumer)
    {
        Native::GESTURENOTIFYSTRUCT notification{};
        Native::MSG message{};
        message.message = Native::GestureMessage::GESTURE_NOTIFY;
        message.lParam = reinterpret_cast<Native::LPARAM>(&notification);
        Talvex::QtCompat::NativeEventResult result = 0;
        nativeEvent("windows_generic_MSG", &message, &result);
    }
    App::Gesture::Consumer* Route(const Gesture&) override { return consumer; }

private:
    App::Gesture::Consumer* consumer;
};

Native::GESTUREINFO PanStep()
{
    Native::GESTUREINFO info{};
    info.cbSize = sizeof(info);
    info.dwID = Native::GestureId::PAN;
    info.ptsLocation = {250, 300};
    info.ullArguments = 100u | (std::uint64_t(3) << 32);
    return info;
}

void CopyBaseline(benchmark::State& state)
{
    Native::GESTUREINFO source = PanStep();
    Native::GESTUREINFO copy{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(CopyInfo(&source, &copy));
        benchmark::ClobberMemory();
    }
}

void DecodeOnly(benchmark::State& state)
{
    const Native::GESTUREINFO info = PanStep();
    App::Gesture::GestureStart start;
    for (auto _ : state) {
        benchmark::DoNotOptimize(App::Gesture::DecodeGesture(info, {150, 200}, start));
    }
}

void WholeMessage(benchmark::State& state)
{
    auto& api = Native::GestureApi();
    const Native::GestureEntryPoints saved = api;
    api.GetGestureInfo = &CopyInfo;
    api.CloseGestureInfoHandle = &Close;
    api.SetGestureConfig = &Config;
    api.ScreenToClient = &ToClient;
    PanSink sink;
    NotifiedRouter router(&sink);
    Native::GESTUREINFO info = PanStep();
    Native::MSG message{};
    message.message = Native::GestureMessage::GESTURE;
    message.lParam = reinterpret_cast<Native::LPARAM>(&info);
    Talvex::QtCompat::NativeEventResult result = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(router.nativeEvent("windows_generic_MSG", &message, &result));
    }
    api = saved;
}

// A window whose only consumer sits at the top, below 20 nested widgets.
struct NestedWindow {
    NestedWindow()
    {
        window.setGeometry(0, 0, 400, 400);
        new App::Gesture::Emitter(&window);
        QWidget* parent = &window;
        for (int depth = 0; depth < 20; ++depth) {
            auto* child = new QWidget(parent);
            child->setGeometry(5, 5, parent->width() - 10, parent->height() - 10);
            parent = child;
        }
        innermost = parent;
        window.show();
        QApplication::processEvents();
        const QPoint global = innermost->mapToGlobal(innermost->rect().center());
        touch.screenPosition = {global.x(), global.y()};
    }
    QWidget window;
    QWidget* innermost = nullptr;
    Gesture touch;
};

void WidgetAtBaseline(benchmark::State& state)
{
    NestedWindow nested;
    for (auto _ : state) {
        benchmark::DoNotOptimize(QApplication::widgetAt(nested.touch.screenPosition.x, nested.touch.screenPosition.y));
    }
}

void RouteNested(benchmark::State& state)
{
    NestedWindow nested;
    App::Gesture::Router router;
    if (!router.Route(nested.touch)) {
        state.SkipWithError("the touch found no consumer");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(router.Route(nested.touch));
    }
}

} // namespace

BENCHMARK(CopyBaseline)->Name("GestureMessage/baseline");
BENCHMARK(DecodeOnly)->Name("GestureMessage/DecodeGesture");
BENCHMARK(WholeMessage)->Name("GestureMessage/nativeEvent");
BENCHMARK(WidgetAtBaseline)->Name("GestureRouteDepth20/baseline");
BENCHMARK(RouteNested)->Name("GestureRouteDepth20/Route");
