#pragma once

#include <TalvexExport.h>

#include <QEvent>
#include <QObject>

#include <memory>

class QTouchEvent;

namespace Talvex::App::Gesture {

class Router;
class TouchSequence;

// Turns touch-screen sequences, as Qt delivers them on systems without gesture
// messages, into the same gesture records: one-finger pan (with an inertia vector on
// the end step), two-finger zoom and rotate, two-finger tap and press-and-tap. The
// consumer is found by Router::Route when the first finger lands and asked what it
// wants; a sequence it wants nothing of is left to Qt. A sequence the bridge takes is
// accepted and not delivered further, so Qt does not also turn it into mouse events;
// one that ends as a plain tap is handed on as a click.
// Times come from the events' timestamps. One bridge per application, GUI thread only.
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

private:
    bool Handle(QObject* window, QTouchEvent& event);

    Router* const router;
    const std::unique_ptr<TouchSequence> sequence;
};

} // namespace Talvex::App::Gesture
