#include "Platform/Core/DyLib.h"

#include <QLibrary>

namespace Talvex::Core {

DyLib::DyLib() = default;

DyLib::~DyLib()
{
    if (library) {
        library->unload();
    }
}

bool DyLib::Open(const ioPath& fileName)
{
    if (library) {
        library->unload();
        library.reset();
    }
    if (fileName.empty()) {
        return false;
    }
    auto candidate = std::make_unique<QLibrary>(fileName.ToQString());
    if (!candidate->load()) {
        return false;
    }
    library = std::move(candidate);
    return true;
}

void* DyLib::GetProc(const char* name) const
{
    if (!library || !name) {
        return nullptr;
    }
    return reinterpret_cast<void*>(library->resolve(name));
}

} // namespace Talvex::Core
