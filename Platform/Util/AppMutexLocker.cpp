#include "Platform/Util/AppMutexLocker.h"

#include "Platform/Native/LockFile.h"

namespace Talvex::Util {

AppMutexLocker::AppMutexLocker(const std::vector<std::string>& names) : names(names)
{
}

AppMutexLocker::~AppMutexLocker() = default;

bool AppMutexLocker::TryLockAppMutex()
{
    held.clear();
    for (const std::string& name : names) {
        std::unique_ptr<Native::LockFile> file = Native::LockFile::Open(name, true);
        if (!file) {
            continue;
        }
        if (!file->TryLockExclusive()) {
            held.clear();
            return false;
        }
        held.push_back(std::move(file));
    }
    return true;
}

} // namespace Talvex::Util
