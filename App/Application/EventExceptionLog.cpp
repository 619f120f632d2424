#include "App/Application/EventExceptionLog.h"

#include "Platform/Core/Demangle.h"
#include "Platform/Logging/LogLine.h"

#include <QEvent>
#include <QMetaEnum>
#include <QObject>

#include <boost/exception/diagnostic_information.hpp>

#include <string>
#include <typeinfo>

namespace Talvex::App {
namespace {

std::string EventTypeKey(QEvent::Type type)
{
    const char* key = QMetaEnum::fromType<QEvent::Type>().valueToKey(type);
    return key ? key : std::to_string(static_cast<int>(type));
}

} // namespace

void EventExceptionLog::Write(const QObject* receiver, const QEvent* event, const std::exception& error)
{
    TALVEX_LOG(ERROR) << "Exception has been caught in event processing\n"
                      << "\tReceiver: "
                      << (receiver ? Core::Demangled(typeid(*receiver).name()) : std::string("<NULL>")) << "\n"
                      << "\tEvent class: " << (event ? Core::Demangled(typeid(*event).name()) : std::string("<NULL>"))
                      << ". Event type: QEvent::" << (event ? EventTypeKey(event->type()) : std::string()) << "\n"
                      << "\tException details: " << boost::diagnostic_information(error, true);
}

} // namespace Talvex::App
