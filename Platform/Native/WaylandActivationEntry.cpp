// The entry points of the Wayland activation module, a module of its own so that the
// Wayland client library is loaded only when a window is to be activated there (see
// WaylandActivation.cpp). Everything runs on the GUI thread.
#include "Platform/Native/XdgActivationClient_p.h"

#include <QAbstractEventDispatcher>
#include <QGuiApplication>
#include <QPointer>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#define TALVEX_MODULE_ENTRY extern "C" __attribute__((visibility("default")))

using Talvex::Native::XdgActivationClient;

namespace {

void* NativeResource(const char* name, QWindow* window = nullptr)
{
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (!native) {
        return nullptr;
    }
    return window ? native->nativeResourceForWindow(name, window) : native->nativeResourceForIntegration(name);
}

// The client of the application's connection, made on first use. A later application
// object has a connection of its own; the client of the one before is abandoned, never
// destroyed, since its connection is already closed.
XdgActivationClient* ApplicationClient(QString* reason)
{
    static QPointer<QObject> application;
    static XdgActivationClient* client = nullptr;
    if (!application || application != QCoreApplication::instance()) {
        auto* display = static_cast<wl_display*>(NativeResource("wl_display"));
        if (!display) {
            *reason = QStringLiteral("the application's Wayland connection is not known");
            return nullptr;
        }
        application = QCoreApplication::instance();
        client = new XdgActivationClient(display);
        // Input serials are followed from the event loop, before it sleeps.
        QObject::connect(QAbstractEventDispatcher::instance(application->thread()),
                         &QAbstractEventDispatcher::aboutToBlock, application, [c = client] { c->DispatchPending(); });
    }
    if (!client->Available()) {
        *reason = QStringLiteral("the compositor does not offer window activation (xdg_activation_v1)");
        return nullptr;
    }
    return client;
}

wl_surface* SurfaceOf(QWindow* window, QString* reason)
{
    // A window that was never shown has no platform side to ask.
    auto* surface = window->handle() ? static_cast<wl_surface*>(NativeResource("surface", window)) : nullptr;
    if (!surface) {
        *reason = QStringLiteral("the window has no Wayland surface");
    }
    return surface;
}

} // namespace

TALVEX_MODULE_ENTRY void talvex_wayland_follow_input(QString* reason)
{
    ApplicationClient(reason);
}

TALVEX_MODULE_ENTRY void talvex_wayland_request_token(QWindow* window, int timeoutMs, QString* token, QString* reason)
{
    XdgActivationClient* client = ApplicationClient(reason);
    wl_surface* surface = client ? SurfaceOf(window, reason) : nullptr;
    if (surface) {
        *token = client->RequestToken(surface, timeoutMs, reason);
    }
}

TALVEX_MODULE_ENTRY bool talvex_wayland_activate(QWindow* window, const QString* token, QString* reason)
{
    XdgActivationClient* client = ApplicationClient(reason);
    wl_surface* surface = client ? SurfaceOf(window, reason) : nullptr;
    if (surface) {
        client->Activate(surface, *token);
    }
    return surface != nullptr;
}
