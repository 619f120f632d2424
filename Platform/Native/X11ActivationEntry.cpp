// The entry point of the X11 window activation module, a module of its own so that
// libxcb is loaded only when a window is first activated.
#include "Platform/Native/X11Activation.h"

extern "C" __attribute__((visibility("default"))) void talvex_activate_x11_window(unsigned long long window)
{
    Talvex::Native::ActivateX11Window(window);
}
