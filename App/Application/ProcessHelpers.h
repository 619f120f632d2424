#pragma once

#include "Platform/Core/ioPath.h"
#include "Platform/Links/URLKeys.h"

#include <QString>

#include <TalvexExport.h>

namespace Talvex::App {

// Process-wide display set-up; call before the application object exists, because Qt
// reads these attributes only when it is created. Unless "TALVEX_DPI_POLICY" is exactly
// "NOSCALE", asks the system to scale the windows or, where the system cannot, turns
// on Qt's own high-DPI scaling.
// Qt 6 always scales and no longer has the attribute Qt 5 is given here
// (Qt::AA_EnableHighDpiScaling), so on Qt 6 the closest equivalents apply: "NOSCALE"
// sets QT_ENABLE_HIGHDPI_SCALING=0 in the process environment (overriding any value
// there), which turns Qt's scaling off; any other policy leaves scaling on and sets the
// scale-factor rounding policy to Qt::HighDpiScaleFactorRoundingPolicy::Round, which
// is what Qt 5's scaling did (Qt 6 would otherwise pass fractional factors through).
TALVEX_EXPORT void HighDpiFix();
// Prefer the desktop OpenGL driver over an emulated one.
TALVEX_EXPORT void UseDesktopOpenGL();

// The installed product's resources folder and font configuration file.
TALVEX_EXPORT Talvex::ioPath GetPathToResources();
TALVEX_EXPORT Talvex::ioPath GetPathToFontConfigFile();

} // namespace Talvex::App

// Graphics-driver warnings with a link to `key`'s address (the application's GetUrl),
// styled with the application's "linkStyle" property. Need a running Application.
TALVEX_EXPORT QString GetGPUNeedSetupDriverMessage(const Talvex::URLKeys& key);
TALVEX_EXPORT QString GetGPUUnsupportedDriverMessage(const Talvex::URLKeys& key);
