#include "Platform/Native/NamedMutex.h"

#include "Platform/Core/SleepFor.h"
#include "Platform/Logging/LogLine.h"
#include "Platform/Native/LockFile.h"

namespace Talvex::Native {

namespace {
constexpr int probeWaitMilliseconds = 100;
}

std::unique_ptr<NamedMutex> NamedMutex::Create(const std::string& name)
{
    std::unique_ptr<LockFile> file = LockFile::Open(name);
    if (!file) {
        return nullptr;
    }
    // A probe holds the lock exclusively only for a moment; wait that out, but never so
    // long that a program hangs at start-up because another one keeps looking.
    bool locked = file->TryLockShared();
    for (int attempt = 0; !locked && attempt < probeWaitMilliseconds; ++attempt) {
        Core::SleepFor(1);
        locked = file->TryLockShared();
    }
    if (!locked) {
        TALVEX_LOG(ERROR) << "Named mutex " << name << " is being probed by another process; not holding it";
        return nullptr;
    }
    return std::unique_ptr<NamedMutex>(new NamedMutex(std::move(file)));
}

NamedMutex::NamedMutex(std::unique_ptr<LockFile> file) : file(std::move(file))
{
}

NamedMutex::~NamedMutex() = default;

} // namespace Talvex::Native
