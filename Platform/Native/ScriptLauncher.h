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

// Starts the script at the absolute path `path`, in the script's folder, without
// waiting for it; whether it started is not reported. A relative path is refused with an ERROR line: it would be
// resolved against the current folder, which may be a shared one where another user
// has planted a script of the same name.
TALVEX_EXPORT void StartScript(const QString& path);

} // namespace Talvex::Native
