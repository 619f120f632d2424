#include "App/Application/Gesture/TouchBridge.h"

#include "App/Application/Gesture/InertiaDriver_p.h"
#include "App/Application/Gesture/Router.h"
#include "App/Application/Gesture/TouchSequence_p.h"
#include "Platform/Qt/TouchPoints.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QStyleHints>
#include <QTouchEvent>

#include <algorithm>

namespace Talvex::App::Gesture {
namespace {

TouchBridge* current = nullptr;

bool IsTouch(QEvent::Type type)
{
    return type == QEvent::TouchBegin || type == QEvent::TouchUpdate || type == QEvent::TouchEnd ||
           type == QEvent::TouchCancel;
}

// A finger landing while others are held arrives as an update, not as a new sequence.
bool FingerLanded(const QTouchEvent& event)
{
    const auto& points = QtCompat::TouchPoints(event);
    return std::any_of(points.begin(), points.end(),
                       [](const QtCompat::TouchPoint& point) { return QtCompat::IsPressed(point); });
}

// Mouse events sent to the window find their widget as real ones would.
void Click(QObject* window, QPointF position, QPointF screenPosition)
{
    const QPointer<QObject> guard(window);
    QMouseEvent press(QEvent::MouseButtonPress, position, position, screenPosition, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(window, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, position, position, screenPosition, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    if (guard) {
        QCoreApplication::sendEvent(window, &release);
    }
}

} // namespace

TouchBridge::TouchBridge(QObject* parent)
    : QObject(parent), router(new Router(this)),
      sequence(std::make_unique<TouchSequence>(QGuiApplication::styleHints()->startDragDistance())),
      inertia(new InertiaDriver(*sequence, this))
{
    current = this;
}

// The driver goes first: it still refers to the sequence.
TouchBridge::~TouchBridge()
{
    delete inertia;
    if (current == this) {
        current = nullptr;
    }
}

void TouchBridge::SetClock(Clock clock)
{
    inertia->SetClock(std::move(clock));
}

// Only the window's copy of a touch event is taken: it comes first, before Qt hands
// the touch to widgets or turns it into mouse events.
bool TouchBridge::Take(QObject* receiver, QEvent* event)
{
    if (!current || !IsTouch(event->type()) || !receiver || !receiver->isWindowType()) {
        return false;
    }
    return current->Handle(receiver, *static_cast<QTouchEvent*>(event));
}

// The consumer's code runs inside the step and may destroy the window (a swipe that
// dismisses it at the lift, or when the glide a new touch cuts short ends): the guard is
// taken first, and a window that went gets no glide, no record and no click, and its
// touch is taken, since there is nobody left to hand it to.
bool TouchBridge::Handle(QObject* window, QTouchEvent& event)
{
    const QPointer<QObject> guard(window);
    bool taken = false;
    switch (event.type()) {
    case QEvent::TouchBegin: {
        const bool stopsGlide = sequence->Coasting();
        inertia->Stop();
        taken = guard && sequence->Begin(event, *router, stopsGlide);
        break;
    }
    case QEvent::TouchCancel:
        inertia->Stop();
        taken = sequence->Cancel();
        break;
    default:
        if (sequence->Coasting() && FingerLanded(event)) {
            inertia->Stop();
        }
        taken = sequence->Step(event);
        break;
    }
    if (!guard) {
        sequence->Abandon();
        event.accept();
        return true;
    }
    if (taken) {
        event.accept();
    }
    inertia->Follow(guard);
    QPointF position;
    QPointF screenPosition;
    if (sequence->TakeClick(position, screenPosition)) {
        Click(window, position, screenPosition);
    }
    return taken;
}

} // namespace Talvex::App::Gesture
