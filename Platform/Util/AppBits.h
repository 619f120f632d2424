#pragma once

#include <TalvexExport.h>

#include <string>

namespace Talvex::Util {

// The bitness this library was built for, as digits: "64" or "32".
TALVEX_EXPORT std::string AppBits();

} // namespace Talvex::Util
