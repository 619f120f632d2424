#pragma once

namespace Talvex::Native {

// Activates an X11 window on the display named by $DISPLAY, through a connection of
// its own: by a _NET_ACTIVE_WINDOW request to the window manager when one runs,
// otherwise by raising the window and setting the input focus on it. Errors (no
// display, a window that is gone or not viewable) are ignored.
void ActivateX11Window(unsigned long long window);

} // namespace Talvex::Native
