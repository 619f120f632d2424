#pragma once

#include <TalvexExport.h>

#include <functional>

namespace Talvex::Native {

// Brings a top-level window, given by its native id, to the foreground.
using ActivateWindowFunction = std::function<void(unsigned long long window)>;

// Calls the current activation function (the default one unless replaced).
TALVEX_EXPORT void ActivateWindow(unsigned long long window);

// Replaces the activation function, for example to observe the calls; an empty
// function restores the default. Returns the previous one. Not thread-safe: set it
// before the function can be used.
TALVEX_EXPORT ActivateWindowFunction SetActivateWindowFunction(ActivateWindowFunction function);

// The default. On X11 it asks the window manager to activate the window; without a
// window manager it raises the window and gives it the input focus itself. Elsewhere
// (offscreen, Wayland, which offers no activation without a token from the window's
// owner) and for the null window it does nothing. Never reports a failure.
TALVEX_EXPORT void ActivateWindowDefault(unsigned long long window);

} // namespace Talvex::Native
