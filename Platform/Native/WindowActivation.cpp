#include "Platform/Native/WindowActivation.h"

#include "Platform/Native/X11Activation.h"

#include <QGuiApplication>

#include <utility>

namespace Talvex::Native {

namespace {

ActivateWindowFunction& CurrentFunction()
{
    static ActivateWindowFunction function = ActivateWindowDefault;
    return function;
}

} // namespace

void ActivateWindow(unsigned long long window)
{
    CurrentFunction()(window);
}

ActivateWindowFunction SetActivateWindowFunction(ActivateWindowFunction function)
{
    if (!function) {
        function = ActivateWindowDefault;
    }
    return std::exchange(CurrentFunction(), std::move(function));
}

void ActivateWindowDefault(unsigned long long window)
{
    if (window != 0 && QGuiApplication::platformName() == QLatin1String("xcb")) {
        ActivateX11Window(window);
    }
}

} // namespace Talvex::Native
