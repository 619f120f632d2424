#pragma once

#include "GestureApplicationFixture.h"
#include "common/WaitUntil.h"

#include "App/Application/Gesture/TouchBridge.h"
#include "Platform/Qt/TouchPoints.h"

#include <QTimer>
#include <QTouchEvent>
#include <QWindow>

#include <chrono>
#include <tuple>
#include <vector>

namespace Talvex::Test {

// Touch events with chosen timestamps, sent to the window as the window system would,
// and a view of the application's touch bridge and its glide timer.
class TouchInput : public GestureApplication {
protected:
    using Finger = std::tuple<int, Qt::TouchPointState, QPointF>;

    // Points are in `widget` coordinates.
    void Send(QWidget& widget, QEvent::Type type, ulong time, const std::vector<Finger>& fingers)
    {
        QList<QtCompat::TouchPoint> points;
        for (const auto& [id, state, position] : fingers) {
            points << QtCompat::MakeTouchPoint(id, state, widget.mapTo(widget.window(), position.toPoint()),
                                               widget.mapToGlobal(position.toPoint()));
        }
        const auto event = QtCompat::NewTouchEvent(type, device, points);
        event->setTimestamp(time);
        QCoreApplication::sendEvent(widget.window()->windowHandle(), event.get());
    }

    // One finger from `from` by `by` in `ms`, an event every 10 ms, lifted where it
    // stopped. Returns the time of the lift.
    ulong Stroke(QWidget& widget, QPointF from, QPointF by, ulong ms, const std::vector<QPointF>& jitter = {})
    {
        const ulong start = clockMs;
        Send(widget, QEvent::TouchBegin, start, {{0, Qt::TouchPointPressed, from}});
        const int steps = int(ms / 10);
        for (int step = 1; step <= steps; ++step) {
            QPointF at = from + by * step / steps;
            if (!jitter.empty()) {
                at += jitter[std::size_t(step) % jitter.size()];
            }
            const auto state = step == steps ? Qt::TouchPointReleased : Qt::TouchPointMoved;
            Send(widget, step == steps ? QEvent::TouchEnd : QEvent::TouchUpdate, start + ulong(step) * 10,
                 {{0, state, at}});
        }
        clockMs = start + ms + 1000;
        return start + ms;
    }

    App::Gesture::TouchBridge& Bridge() { return *app->findChild<App::Gesture::TouchBridge*>(); }

    bool Gliding()
    {
        for (const QTimer* timer : Bridge().findChildren<QTimer*>()) {
            if (timer->isActive()) {
                return true;
            }
        }
        return false;
    }

    // Each frame reads a time `stepMs` later than the one before, however long the
    // frame really took, so a glide is the same on a busy machine.
    void UseSteppedClock(int stepMs)
    {
        Bridge().SetClock([stepMs, now = std::chrono::steady_clock::time_point()]() mutable {
            now += std::chrono::milliseconds(stepMs);
            return now;
        });
    }

    QtCompat::TouchDevice* device = QTest::createTouchDevice();
    ulong clockMs = 1000;
};

// The pan steps a consumer received.
inline std::vector<App::Gesture::Gesture::Pan> InertiaSteps(const std::vector<App::Gesture::Gesture::Pan>& pans)
{
    std::vector<App::Gesture::Gesture::Pan> glide;
    for (const auto& pan : pans) {
        if (pan.inertia) {
            glide.push_back(pan);
        }
    }
    return glide;
}

inline int EndSteps(const std::vector<App::Gesture::Gesture::Pan>& pans)
{
    int ends = 0;
    for (const auto& pan : pans) {
        ends += pan.end;
    }
    return ends;
}

} // namespace Talvex::Test
