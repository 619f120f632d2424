#pragma once

#include <TalvexExport.h>

#include <string>

namespace Talvex::Native {

// Adds function names, and source lines where known, to the stack of a crash report
// (CrashHandler), read from the symbol tables and debug information of the modules as
// they are on disk now. A module whose build id differs from the one in the report was
// replaced since the crash; its frames get no names rather than wrong ones. A report
// that was resolved before, or names no frames, comes back unchanged. The result stays
// a little under CrashHandler::MAX_REPORT_SIZE, room for a reader's note about a report
// cut short: names that would not fit are left out, and a long name is cut.
TALVEX_EXPORT std::string ResolveCrashReport(const std::string& report);

} // namespace Talvex::Native
