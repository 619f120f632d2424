#pragma once

#include <TalvexExport.h>

#include "Platform/Core/ioPath.h"

#include <memory>

class QLibrary;

namespace Talvex::Core {

// One dynamically loaded library. Not copyable; the library is unloaded when the
// object goes, so entry points from GetProc must not outlive it.
class TALVEX_EXPORT DyLib {
public:
    DyLib();
    ~DyLib();
    DyLib(const DyLib&) = delete;
    DyLib& operator=(const DyLib&) = delete;

    // Loads the library by file name or path, unloading one opened before. False when it
    // cannot be loaded, which callers treat as "not available here".
    bool Open(const ioPath& fileName);
    // The entry point of that name, or null when nothing is loaded or it is missing.
    void* GetProc(const char* name) const;

private:
    std::unique_ptr<QLibrary> library;
};

} // namespace Talvex::Core
