#include "App/Application/Gesture/InertiaDriver_p.h"

#include "App/Application/Gesture/TouchSequence_p.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace Talvex::App::Gesture {

InertiaDriver::InertiaDriver(TouchSequence& sequence, QObject* parent)
    : QObject(parent), sequence(sequence), clock(&std::chrono::steady_clock::now), timer(new QTimer(this))
{
    timer->setInterval(FRAME_MS);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, &InertiaDriver::Frame);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &InertiaDriver::FocusMoved);
}

InertiaDriver::~InertiaDriver() = default;

void InertiaDriver::SetClock(TouchBridge::Clock next)
{
    clock = next ? std::move(next) : TouchBridge::Clock(&std::chrono::steady_clock::now);
}

void InertiaDriver::Follow(const QPointer<QObject>& glideWindow)
{
    if (timer->isActive() || !sequence.Coasting() || sequence.Glides() == followed) {
        return;
    }
    followed = sequence.Glides();
    window = glideWindow;
    widget = sequence.TargetWidget();
    if (widget) {
        widget->installEventFilter(this);
    }
    start = clock();
    timer->start();
}

void InertiaDriver::Stop()
{
    Disarm();
    sequence.StopCoasting();
}

bool InertiaDriver::Running() const
{
    return timer->isActive();
}

// A widget is also hidden, and a window loses the focus, while it is being destroyed,
// when a consumer must not be called any more: the frames stop now and the end step
// follows from the event loop, by when a destroyed consumer has been forgotten.
void InertiaDriver::StopSoon()
{
    if (!timer->isActive()) {
        return;
    }
    Disarm();
    QMetaObject::invokeMethod(
        this,
        [this, stopped = followed] {
            if (stopped == sequence.Glides()) {
                sequence.StopCoasting();
            }
        },
        Qt::QueuedConnection);
}

bool InertiaDriver::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == widget && event->type() == QEvent::Hide) {
        StopSoon();
    }
    return false;
}

void InertiaDriver::Frame()
{
    const std::chrono::duration<double, std::milli> elapsed = clock() - start;
    if (!sequence.Glide(elapsed.count())) {
        Disarm();
    }
}

void InertiaDriver::Disarm()
{
    timer->stop();
    if (widget) {
        widget->removeEventFilter(this);
    }
    widget = nullptr;
    window = nullptr;
}

// Focus moving between widgets of the same window is no reason to stop.
void InertiaDriver::FocusMoved(QWindow* focus)
{
    if (timer->isActive() && focus != window.data()) {
        StopSoon();
    }
}

} // namespace Talvex::App::Gesture
