// The entry points of the X11 window activation module, a module of its own so that
// libxcb is loaded only when a window is first brought to the front.
#include "Platform/Native/X11Activation.h"

#include <cstddef>

extern "C" __attribute__((visibility("default"))) void talvex_activate_x11_window(unsigned long long window)
{
    Talvex::Native::ActivateX11Window(window);
}

extern "C" __attribute__((visibility("default"))) void
talvex_activate_x11_window_for_launch(unsigned long long window, const char* startupId, std::size_t size)
{
    Talvex::Native::ActivateX11WindowForLaunch(window, QByteArray(startupId, static_cast<int>(size)));
}
