#include "App/Application/Gesture/Router.h"

#include "App/Application/Gesture/Consumer.h"
#include "Platform/Native/GestureEntryPoints.h"

#include <QApplication>
#include <QWidget>

namespace Talvex::App::Gesture {
namespace {

void* AsPointer(std::uintptr_t value)
{
    return reinterpret_cast<void*>(value);
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
            if (auto* consumer = dynamic_cast<Consumer*>(child)) {
                return consumer;
            }
        }
    }
    return nullptr;
}

bool Router::nativeEvent(const QByteArray&, void* message, long* result)
{
    const auto& msg = *static_cast<const Native::MSG*>(message);
    void* const wParam = AsPointer(msg.wParam);
    void* const lParam = AsPointer(static_cast<std::uintptr_t>(msg.lParam));
    if (msg.message == Native::GestureMessage::GESTURE) {
        // The default window procedure passes a child window's gesture on to its parent,
        // where it is handled.
        if (HasParentWindow(msg.hwnd)) {
            *result =
                static_cast<long>(Native::GestureApi().DefWindowProcW(msg.hwnd, msg.message, msg.wParam, msg.lParam));
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
