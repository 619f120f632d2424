// The entry points of the session-bus reader, a module of its own (see
// DesktopAppearanceLoader.cpp).
#include "App/Application/LookAndFeel/DesktopAppearance_p.h"

#define TALVEX_MODULE_ENTRY extern "C" __attribute__((visibility("default")))

using Talvex::App::DesktopAppearance;
using Talvex::App::DesktopAppearancePrivate;

TALVEX_MODULE_ENTRY DesktopAppearancePrivate* talvex_desktop_appearance_create(DesktopAppearance* owner,
                                                                               const QString* busAddress)
{
    return new DesktopAppearancePrivate(owner, *busAddress);
}

TALVEX_MODULE_ENTRY void talvex_desktop_appearance_start(DesktopAppearancePrivate* reader, long long milliseconds)
{
    reader->Start(std::chrono::milliseconds(milliseconds));
}
