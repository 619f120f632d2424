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
// waiting for it; whether it started is not reported, and a missing script starts
// nothing. The script runs only when it is a regular file owned by root or by us that
// nobody else may write, in a folder of that kind that no other user can replace: a
// program unpacked in a shared folder must not run another user's script as ours.
// Otherwise, and for a relative path (it would be resolved against the current folder,
// which may be a shared one), an ERROR line names the script and nothing runs.
TALVEX_EXPORT void StartScript(const QString& path);

} // namespace Talvex::Native
