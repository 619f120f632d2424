#pragma once

#include <QByteArray>

namespace Talvex::App {

// Product code that watches native window-system messages. Registered with the
// application; called on the GUI thread for every message the gesture routing did
// not consume. The result is ignored: a handler observes, it cannot swallow a message.
class EventHandler {
public:
    virtual ~EventHandler() = default;
    virtual void OnNativeEvent(const QByteArray& eventType, void* message, long* result) = 0;
};

} // namespace Talvex::App
