// The library's side of Wayland activation: checks and the Qt 6 path here; the protocol
// itself in the module (WaylandActivationEntry.cpp), so that products that never hand
// a window over do not load the Wayland client library at start.
#include "Platform/Native/WaylandActivation.h"

#include "Platform/Core/LibraryModule.h"
#include "Platform/Logging/LogLine.h"

#include <QGuiApplication>
#include <QWindow>

#include <atomic>

namespace Talvex::Native {
namespace {

Core::LibraryModule& ProtocolModule()
{
    static Core::LibraryModule module(TALVEX_WAYLAND_MODULE);
    return module;
}

// The module's entry `name`, or null with *reason saying why.
void* Entry(const char* name, QString* reason)
{
    void* entry = ProtocolModule().Entry(name);
    if (!entry) {
        *reason = QStringLiteral("the Wayland module could not be loaded: ") +
                  QString::fromStdString(ProtocolModule().Failure());
    }
    return entry;
}

bool Usable(QWindow* window, QString* reason)
{
    if (!IsWaylandPlatform()) {
        *reason = QStringLiteral("the application does not run on Wayland");
    } else if (!window) {
        *reason = QStringLiteral("no window was given");
    }
    return reason->isEmpty();
}

} // namespace

bool IsWaylandPlatform()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void FollowInputSerials()
{
    QString reason;
    using Follow = void (*)(QString*);
    if (IsWaylandPlatform()) {
        if (const auto follow = reinterpret_cast<Follow>(Entry("talvex_wayland_follow_input", &reason))) {
            follow(&reason);
        }
    }
}

QString RequestActivationToken(QWindow* window, int timeoutMs, QString* reason)
{
    QString why;
    QString token;
    using Request = void (*)(QWindow*, int, QString*, QString*);
    if (Usable(window, &why)) {
        if (const auto request = reinterpret_cast<Request>(Entry("talvex_wayland_request_token", &why))) {
            request(window, timeoutMs, &token, &why);
        }
    }
    if (reason) {
        *reason = why;
    }
    return token;
}

bool ActivateWithToken(QWindow* window, const QString& token, QString* reason)
{
    QString why;
    if (Usable(window, &why) && token.isEmpty()) {
        why = QStringLiteral("the token is empty");
    }
    bool activated = false;
    if (why.isEmpty()) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        // Qt 6 activates with the token it finds here; it must not outlive the call.
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
        window->requestActivate();
        qunsetenv("XDG_ACTIVATION_TOKEN");
        activated = true;
#else
        using Activate = bool (*)(QWindow*, const QString*, QString*);
        if (const auto activate = reinterpret_cast<Activate>(Entry("talvex_wayland_activate", &why))) {
            activated = activate(window, &token, &why);
        }
#endif
    }
    if (reason) {
        *reason = why;
    }
    return activated;
}

void WarnActivationUnavailable(const QString& reason)
{
    static std::atomic<bool> warned{false};
    if (!warned.exchange(true)) {
        TALVEX_LOG(WARNING) << "The focus cannot be handed back to the other window on Wayland: "
                            << reason.toStdString();
    }
}

} // namespace Talvex::Native
