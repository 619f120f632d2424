#pragma once

#include <TalvexExport.h>

#include "Platform/Core/Version.h"

#include <QString>

namespace Talvex::Util {

// The version as numbers joined by `separator`. `detail` is how many parts to show,
// from major down to revision: 1 gives "20", 3 gives "20.1.2", anything above 4 all
// four. 0 or a negative value gives the version as people write it, the form used as
// the application's version text: all parts but trailing zeros after the minor number
// ("20.1.2.7", "20.1.2", "3.1", "3.0").
TALVEX_EXPORT QString VersionToString(const Core::Version& version, int detail, const QString& separator);

} // namespace Talvex::Util
