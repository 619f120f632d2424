#include "App/Application/Gesture/GestureSupport_p.h"

#include "App/Application/Application.h"
#include "App/Application/Gesture/Router.h"
#include "App/Application/Gesture/Scroller.h"
#include "App/Application/Gesture/TouchBridge.h"
#include "App/Application/NativeEventFilter.h"

#include <memory>
#include <mutex>

namespace Talvex::App::Gesture {
namespace {

struct LazyRouter {
    std::once_flag created;
    Router* router = nullptr;
};

// Other platforms hand the filter their own event records, which must never be read
// as window-system messages.
bool IsWindowsMessage(const QByteArray& eventType)
{
    return eventType == "windows_generic_MSG" || eventType == "windows_dispatcher_MSG";
}

} // namespace

void InstallGestureSupport(QObject& application, NativeEventFilter& filter)
{
    auto lazy = std::make_shared<LazyRouter>();
    filter.SetGestureRoute(
        [lazy, &filter](const QByteArray& eventType, void* message, QtCompat::NativeEventResult* result) {
            std::call_once(lazy->created, [&] { lazy->router = new Router(&filter); });
            return IsWindowsMessage(eventType) && lazy->router->nativeEvent(eventType, message, result);
        });
    Application::SetScrollAreaShowHook(&Scroller::AttachTo);
#if !defined(_WIN32)
    new TouchBridge(&application);
#else
    Q_UNUSED(application);
#endif
}

} // namespace Talvex::App::Gesture
