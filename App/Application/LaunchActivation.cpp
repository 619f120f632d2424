#include "App/Application/LaunchActivation.h"

#include "App/Application/Application.h"
#include "Platform/Logging/LogLine.h"
#include "Platform/Native/WaylandActivation.h"
#include "Platform/Native/X11Activation.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QWindow>

namespace Talvex::App {
namespace {

QWindow* MainWindowHandle()
{
    auto* application = qobject_cast<Application*>(QCoreApplication::instance());
    QWidget* main = application ? application->GetMainWindow() : nullptr;
    return main && main->isVisible() ? main->window()->windowHandle() : nullptr;
}

QWindow* FirstShownWindow()
{
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible() && window->type() != Qt::ToolTip && window->type() != Qt::Popup) {
            return window;
        }
    }
    return nullptr;
}

void SayOnceThatNoTokenCame()
{
    static bool said = false;
    TALVEX_LOG_IF(INFO, !said)
        << "A launch came without an activation token (started from a terminal?): the window comes "
           "forward only as far as the desktop allows";
    said = true;
}

// A compositor raises a window only for a valid token from the launcher.
void ActivateOnWayland(QWindow* window, const QByteArray& token)
{
    QString reason;
    if (token.isEmpty() || !Native::ActivateWithToken(window, QString::fromUtf8(token), &reason)) {
        TALVEX_LOG_IF(WARNING, !token.isEmpty())
            << "Could not come forward with the launch's activation token: " << reason.toStdString();
        window->requestActivate();
    }
}

} // namespace

QWindow* LaunchTargetWindow()
{
    if (QWindow* modal = QGuiApplication::modalWindow()) {
        return modal;
    }
    if (QWindow* main = MainWindowHandle()) {
        return main;
    }
    if (QWindow* focused = QGuiApplication::focusWindow()) {
        return focused;
    }
    return FirstShownWindow();
}

void BringForward(const QByteArray& startupId, const QByteArray& activationToken)
{
    if (startupId.isEmpty() && activationToken.isEmpty()) {
        SayOnceThatNoTokenCame();
    }
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return;
    }
    QWindow* window = LaunchTargetWindow();
    if (!window) {
        return;
    }
    if (window->windowStates() & Qt::WindowMinimized) {
        window->setWindowStates(window->windowStates() & ~Qt::WindowMinimized);
    }
    window->raise();
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        Native::ActivateX11WindowForLaunch(window->winId(), startupId);
    } else if (Native::IsWaylandPlatform()) {
        ActivateOnWayland(window, activationToken);
    } else {
        window->requestActivate();
    }
}

} // namespace Talvex::App
