#pragma once

#include <exception>

class QEvent;
class QObject;

namespace Talvex::App {

// The error entry for an exception that escaped an event handler: receiver and event by
// their run-time types, the event type by its QEvent::Type key, and the exception's
// full diagnostic information.
class EventExceptionLog {
public:
    static void Write(const QObject* receiver, const QEvent* event, const std::exception& error);
};

} // namespace Talvex::App
