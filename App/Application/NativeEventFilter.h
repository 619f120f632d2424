#pragma once

#include "App/Application/EventHandler.h"

#include <TalvexExport.h>

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>

#include <functional>
#include <memory>

namespace Talvex::App {

// Offers every native window-system message first to touch-gesture routing, then to
// the registered handlers in registration order; never stops Qt from processing a
// message the routing did not consume. Holds its handlers alive until they are
// unregistered. GUI thread only. The result pointer follows Qt's
// QAbstractNativeEventFilter: long* on Qt 5, qintptr* on Qt 6.
class TALVEX_EXPORT NativeEventFilter : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // Gets each message before the handlers; true consumes it. Same arguments as
    // nativeEventFilter.
    using GestureRoute =
        std::function<bool(const QByteArray& eventType, void* message, QtCompat::NativeEventResult* result)>;

    explicit NativeEventFilter(QObject* parent = nullptr);
    ~NativeEventFilter() override;

    // The same handler may be registered more than once; it is then called once per entry.
    void Register(std::shared_ptr<EventHandler> handler);
    // Removes the first entry holding this handler; unknown handlers are ignored.
    void Unregister(std::shared_ptr<EventHandler> handler);
    // Replaces the gesture routing; an empty route lets every message through.
    void SetGestureRoute(GestureRoute route);

    bool nativeEventFilter(const QByteArray& eventType, void* message, QtCompat::NativeEventResult* result) override;

private:
    QList<std::shared_ptr<EventHandler>> handlers;
    GestureRoute gestureRoute;
};

} // namespace Talvex::App
