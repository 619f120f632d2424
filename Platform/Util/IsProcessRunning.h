#pragma once

#include <TalvexExport.h>

#include <QString>

namespace Talvex::Util {

// True when process `pid` runs the executable at `executablePath` (compared after
// resolving links). Process 0, a vanished process or one we may not inspect is false.
TALVEX_EXPORT bool IsProcessRunning(unsigned long pid, const QString& executablePath);

} // namespace Talvex::Util
