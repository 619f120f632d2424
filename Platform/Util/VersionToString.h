#pragma once

#include <TalvexExport.h>

#include "Platform/Core/Version.h"

#include <QString>

namespace Talvex::Util {

// The version as numbers joined by `separator`. `detail` is how many parts to show,
// from major down to revision: 1 gives "20", 3 gives "20.1.2". 0, a negative value or
// anything above 4 gives all four parts ("20.1.2.0"), the form used as the
// application's version text.
TALVEX_EXPORT QString VersionToString(const Core::Version& version, int detail, const QString& separator);

} // namespace Talvex::Util
