// Window activation on X11 as the library calls it: the X11 side lives in a module of
// its own, with libxcb, loaded when a window is first brought to the front, so that a
// start does not load libxcb ahead of Qt's libraries in every symbol look-up.
#include "Platform/Native/X11Activation.h"

#include "Platform/Core/LibraryModule.h"

#include <cstddef>

namespace Talvex::Native {
namespace {

void* Entry(const char* name)
{
    static Core::LibraryModule module(TALVEX_X11_ACTIVATION_MODULE);
    return module.Entry(name);
}

} // namespace

void ActivateX11Window(unsigned long long window)
{
    using Activate = void (*)(unsigned long long);
    if (const auto activate = reinterpret_cast<Activate>(Entry("talvex_activate_x11_window"))) {
        activate(window);
    }
}

void ActivateX11WindowForLaunch(unsigned long long window, const QByteArray& startupId)
{
    using Activate = void (*)(unsigned long long, const char*, std::size_t);
    if (const auto activate = reinterpret_cast<Activate>(Entry("talvex_activate_x11_window_for_launch"))) {
        activate(window, startupId.constData(), static_cast<std::size_t>(startupId.size()));
    }
}

} // namespace Talvex::Native
