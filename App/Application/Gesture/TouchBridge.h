#pragma once

#include <TalvexExport.h>

#include <QEvent>
#include <QObject>

#include <chrono>
#include <functional>
#include <memory>

class QTouchEvent;

namespace Talvex::App::Gesture {

class InertiaDriver;
class Router;
class TouchSequence;

// Turns touch-screen sequences, as Qt delivers them on systems without gesture
// messages, into the same gesture records: one- and two-finger pan, two-finger zoom and
// rotate, two-finger tap and press-and-tap. A one-finger pan that lifts with speed, for
// a consumer whose pan wish includes Gesture::PanInertia, glides on: pan steps flagged
// as inertia follow at the display's frame rate, slowing down until the content rests
// (InertiaCurve_p.h gives the model), then one end step. A new touch, the consumer's
// widget hidden or its window losing the focus ends the glide at once. The
// consumer is found by Router::Route when the first finger lands and asked what it
// wants; a sequence it wants nothing of is left to Qt. A sequence the bridge takes is
// accepted and not delivered further, so Qt does not also turn it into mouse events;
// one that ends as a plain tap is handed on as a click, unless that tap only stopped a
// glide.
// Finger times come from the events' timestamps, glide times from the clock. One bridge
// per application, GUI thread only.
class TALVEX_EXPORT TouchBridge : public QObject {
    Q_OBJECT
public:
    explicit TouchBridge(QObject* parent = nullptr);
    ~TouchBridge() override;

    // One compare for the event loop's every event: true for the four touch types and
    // a few rare ones numbered between them, which Take lets through.
    static constexpr bool MayBeTouch(QEvent::Type type)
    {
        return unsigned(type) - QEvent::TouchBegin <= unsigned(QEvent::TouchCancel - QEvent::TouchBegin);
    }

    // Offers an event on its way to a window to the application's bridge. True when
    // the bridge took it as a touch event; the event must then not be delivered.
    static bool Take(QObject* receiver, QEvent* event);

    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    // The glide reads the time through this; std::chrono::steady_clock::now by
    // default, and again when given an empty function.
    void SetClock(Clock clock);

private:
    bool Handle(QObject* window, QTouchEvent& event);

    Router* const router;
    const std::unique_ptr<TouchSequence> sequence;
    InertiaDriver* const inertia;
};

} // namespace Talvex::App::Gesture
