// ActivateX11Window as the library calls it: the X11 side lives in a module of its own,
// with libxcb, loaded when a window is first activated.
#include "Platform/Native/X11Activation.h"

#include "Platform/Core/LibraryModule.h"

namespace Talvex::Native {

void ActivateX11Window(unsigned long long window)
{
    static Core::LibraryModule module(TALVEX_X11_ACTIVATION_MODULE);
    using Activate = void (*)(unsigned long long);
    if (const auto activate = reinterpret_cast<Activate>(module.Entry("talvex_activate_x11_window"))) {
        activate(window);
    }
}

} // namespace Talvex::Native
