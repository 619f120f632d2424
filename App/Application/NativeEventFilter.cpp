#include "App/Application/NativeEventFilter.h"

#include <utility>

namespace Talvex::App {

NativeEventFilter::NativeEventFilter(QObject* parent) : QObject(parent)
{
}

NativeEventFilter::~NativeEventFilter() = default;

void NativeEventFilter::Register(std::shared_ptr<EventHandler> handler)
{
    handlers.append(std::move(handler));
}

void NativeEventFilter::Unregister(std::shared_ptr<EventHandler> handler)
{
    const int index = handlers.indexOf(handler);
    if (index >= 0) {
        handlers.removeAt(index);
    }
}

void NativeEventFilter::SetGestureRoute(GestureRoute route)
{
    gestureRoute = std::move(route);
}

bool NativeEventFilter::nativeEventFilter(const QByteArray& eventType, void* message,
                                          QtCompat::NativeEventResult* result)
{
    if (gestureRoute && gestureRoute(eventType, message, result)) {
        return true;
    }
    // A copy, so a handler may unregister itself or others while being called; the
    // copy also keeps a handler alive until its call returns.
    const QList<std::shared_ptr<EventHandler>> current = handlers;
    for (const auto& handler : current) {
        handler->OnNativeEvent(eventType, message, result);
    }
    return false;
}

} // namespace Talvex::App
