#pragma once

#include "App/Application/WorkingMode.h"

#include <TalvexExport.h>

#include <QString>

class QPixmap;

namespace Talvex::App {

// Restarts the running Application: in Interactive mode only after the user confirms
// (with `icon` on the box when it is not null). Clears the crash history, asks the
// application to quit and, unless it refuses, starts a detached copy of the program
// with `arguments` appended to its quoted path. Does nothing without an Application.
TALVEX_EXPORT void RestartApplication(Talvex::Enums::WorkingMode mode, const QPixmap& icon, const QString& arguments);

} // namespace Talvex::App
