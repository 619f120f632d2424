#pragma once

#include <QByteArray>

class QWindow;

namespace Talvex::App {

// Brings the product forward for a launch that was handed over, spending the
// launcher's token at once (tokens are single-use and short-lived): on the product's
// main window, or the modal window while one is open, or, before a main window is
// named, the active window or else the first one shown. On X11 the request carries the
// startup id's time stamp and the launcher's startup notification is ended; elsewhere
// the window asks for activation as the platform allows. A launch without a token
// (from a terminal) gets what the desktop allows, said once per process at INFO.
// Nothing happens without a GUI application or a shown window.
void BringForward(const QByteArray& startupId, const QByteArray& activationToken);

// The window such a launch would come forward in; null when none is shown.
QWindow* LaunchTargetWindow();

} // namespace Talvex::App
