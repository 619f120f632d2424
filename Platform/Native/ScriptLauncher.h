#pragma once

#include <TalvexExport.h>

#include <QString>

namespace Talvex::Native {

// The script a product ships beside itself to tell the user that an installer runs.
#if defined(_WIN32)
inline constexpr char INSTALLER_MESSAGE_SCRIPT[] = "InstallerMessage.vbs";
#else
inline constexpr char INSTALLER_MESSAGE_SCRIPT[] = "InstallerMessage.sh";
#endif

// Starts a script by name, resolved against the current folder, without waiting for
// it; whether it started is not reported.
TALVEX_EXPORT void StartScript(const QString& name);

} // namespace Talvex::Native
