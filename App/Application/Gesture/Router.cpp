#include "App/Application/Gesture/Router.h"

#include "App/Application/Gesture/Consumer.h"
#include "Platform/Native/GestureEntryPoints.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <array>
#include <typeinfo>

namespace Talvex::App::Gesture {
namespace {

void* AsPointer(std::uintptr_t value)
{
    return reinterpret_cast<void*>(value);
}

// Most children on the way up are plain widgets, and the failed cross-cast that rejects
// one walks its whole class tree. Run-time types known not to be consumers are
// remembered, a few at a time; a type seen from two libraries may be missed, never
// mistaken.
class NonConsumerTypes {
public:
    bool Contains(const std::type_info* type) const
    {
        return std::find(types.begin(), types.end(), type) != types.end();
    }
    void Add(const std::type_info* type)
    {
        types[next] = type;
        next = (next + 1) % types.size();
    }

private:
    std::array<const std::type_info*, 16> types{};
    std::size_t next = 0;
};

Consumer* AsConsumer(QObject* child)
{
    thread_local NonConsumerTypes nonConsumers;
    const std::type_info* type = &typeid(*child);
    if (nonConsumers.Contains(type)) {
        return nullptr;
    }
    auto* consumer = dynamic_cast<Consumer*>(child);
    if (!consumer) {
        nonConsumers.Add(type);
    }
    return consumer;
}

bool HasParentWindow(Native::HWND window)
{
    const auto& api = Native::GestureApi();
    return api.GetParent && api.DefWindowProcW && api.GetParent(window);
}

} // namespace

Router::Router(QObject* parent) : QObject(parent)
{
}

Router::~Router() = default;

// The widget under the point counts only as a child of its parent, after its own
// children: the nearest ancestor with a consumer child wins, and among several the
// first created.
Consumer* Router::Route(const Gesture& gesture)
{
    for (QWidget* widget = QApplication::widgetAt(gesture.screenPosition.x, gesture.screenPosition.y); widget;
         widget = widget->parentWidget()) {
        for (QObject* child : widget->children()) {
            if (auto* consumer = AsConsumer(child)) {
                return consumer;
            }
        }
    }
    return nullptr;
}

bool Router::nativeEvent(const QByteArray&, void* message, QtCompat::NativeEventResult* result)
{
    const auto& msg = *static_cast<const Native::MSG*>(message);
    void* const wParam = AsPointer(msg.wParam);
    void* const lParam = AsPointer(static_cast<std::uintptr_t>(msg.lParam));
    if (msg.message == Native::GestureMessage::GESTURE) {
        // The default window procedure passes a child window's gesture on to its parent,
        // where it is handled.
        if (HasParentWindow(msg.hwnd)) {
            *result = static_cast<QtCompat::NativeEventResult>(
                Native::GestureApi().DefWindowProcW(msg.hwnd, msg.message, msg.wParam, msg.lParam));
            return true;
        }
        if (OnGesture(msg.hwnd, wParam, lParam)) {
            *result = 0;
            return true;
        }
        return false;
    }
    if (msg.message == Native::GestureMessage::GESTURE_NOTIFY && OnGestureNotify(msg.hwnd, wParam, lParam)) {
        *result = 0;
        return true;
    }
    return false;
}

} // namespace Talvex::App::Gesture
