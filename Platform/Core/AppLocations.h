#pragma once

#include <TalvexExport.h>

#include "Platform/Core/ioPath.h"

namespace Talvex::Core {

// Where the installed product keeps its read-only files. The resources folder is
// $TALVEX_RESOURCES_DIR when set, else "resources" beside the executable; the
// environment is read on every call. Needs a QCoreApplication for the fallback.
class TALVEX_EXPORT AppLocations {
public:
    // The process-wide instance; never destroyed before exit.
    static AppLocations& GetLocations();

    virtual ~AppLocations();
    virtual void GetResourcesPath(ioPath& result) const;
    // "fonts.conf" inside the resources folder; the file need not exist.
    virtual void GetFontConfigPath(ioPath& result) const;

protected:
    AppLocations() = default;
};

} // namespace Talvex::Core
