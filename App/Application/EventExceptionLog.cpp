#include "App/Application/EventExceptionLog.h"

#include <QEvent>
#include <QMetaEnum>
#include <QObject>

#include <boost/exception/diagnostic_information.hpp>
#include <glog/logging.h>

#include <cstdlib>
#include <cxxabi.h>
#include <string>
#include <typeinfo>

namespace Talvex::App {
namespace {

// Demangled, so the entry names the class as the product's source does.
std::string TypeName(const std::type_info& type)
{
    int status = 0;
    char* readable = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    const std::string name = status == 0 && readable ? readable : type.name();
    std::free(readable);
    return name;
}

std::string EventTypeKey(QEvent::Type type)
{
    const char* key = QMetaEnum::fromType<QEvent::Type>().valueToKey(type);
    return key ? key : std::to_string(static_cast<int>(type));
}

} // namespace

void EventExceptionLog::Write(const QObject* receiver, const QEvent* event, const std::exception& error)
{
    LOG(ERROR) << "Exception has been caught in event processing\n"
               << "\tReceiver: " << (receiver ? TypeName(typeid(*receiver)) : std::string("<NULL>")) << "\n"
               << "\tEvent class: " << (event ? TypeName(typeid(*event)) : std::string("<NULL>"))
               << ". Event type: QEvent::" << (event ? EventTypeKey(event->type()) : std::string()) << "\n"
               << "\tException details: " << boost::diagnostic_information(error, true);
}

} // namespace Talvex::App
