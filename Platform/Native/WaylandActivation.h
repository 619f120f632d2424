#pragma once

#include <TalvexExport.h>

#include <QString>

class QWindow;

namespace Talvex::Native {

// A Wayland client may not raise another client's window: the client that has the
// focus asks the compositor for an activation token and hands it over, and the other
// client activates its own window with it. A token is single-use and short-lived, so
// it is used at once. The protocol code lives in a module loaded beside the library
// on first use. All of these run on the GUI thread.

// True when the GUI runs on Qt's Wayland platform plugin.
TALVEX_EXPORT bool IsWaylandPlatform();

// Starts following the input this process receives on the compositor's seat, so that
// a later token carries the seat and the serial of the last input; without them the
// compositor may refuse the token. Call it once the application exists, before the
// user interacts; does nothing off Wayland. Repeated calls are harmless.
TALVEX_EXPORT void FollowInputSerials();

// Asks the compositor (xdg_activation_v1) for an activation token for the window's own
// surface, with the seat and serial of the last input event the process received when
// it has them; waits at most timeoutMs. Empty result and *reason set when none can be had.
TALVEX_EXPORT QString RequestActivationToken(QWindow* window, int timeoutMs, QString* reason = nullptr);

// Activates the window with the token at once. False and *reason when it cannot. The
// token never stays in the environment, where a later child process would inherit it.
TALVEX_EXPORT bool ActivateWithToken(QWindow* window, const QString& token, QString* reason = nullptr);

// Logs one WARNING per process saying why a hand-back could not use a token: a
// hand-back that silently fails leaves the user with the wrong window in front.
TALVEX_EXPORT void WarnActivationUnavailable(const QString& reason);

} // namespace Talvex::Native
