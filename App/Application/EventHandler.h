#pragma once

#include "Platform/Qt/NativeEventResult.h"

#include <QByteArray>

namespace Talvex::App {

// Product code that watches native window-system messages. Registered with the
// application; called on the GUI thread for every message the gesture routing did
// not consume. The result is ignored: a handler observes, it cannot swallow a message.
// The result points to a long on Qt 5 and to a qintptr on Qt 6, as Qt's own filters do.
class EventHandler {
public:
    virtual ~EventHandler() = default;
    virtual void OnNativeEvent(const QByteArray& eventType, void* message, QtCompat::NativeEventResult* result) = 0;
};

} // namespace Talvex::App
