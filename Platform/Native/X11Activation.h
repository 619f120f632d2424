#pragma once

#include <QByteArray>

namespace Talvex::Native {

// Activates an X11 window on the display named by $DISPLAY, through a connection of
// its own: by a _NET_ACTIVE_WINDOW request to the window manager when one runs,
// otherwise by raising the window and setting the input focus on it. Errors (no
// display, a window that is gone or not viewable) are ignored.
void ActivateX11Window(unsigned long long window);

// Activates `window` for a launch that the launcher gave `startupId` (its startup
// notification id; empty for a launch from a terminal). The request goes as the
// application's own, with the time stamp the id carries ("..._TIME<time>"), so a window
// manager that prevents focus stealing judges it by the moment the user launched; then
// the launch's startup notification is ended with a "remove" message, so the launcher
// stops showing that it waits. Errors are ignored as above.
void ActivateX11WindowForLaunch(unsigned long long window, const QByteArray& startupId);

// The time stamp of a startup notification id; 0 (the current time) when it has none.
unsigned int StartupIdTime(const QByteArray& startupId);

} // namespace Talvex::Native
