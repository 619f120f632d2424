#pragma once

#include <TalvexExport.h>

#include <memory>
#include <string>
#include <vector>

namespace Talvex::Native {
class LockFile;
}

namespace Talvex::Util {

// Tells whether another process holds any of a set of system-wide named mutexes
// (see Native::NamedMutex). While a successful TryLockAppMutex is in force, the
// locker itself holds all of them, so destroy it as soon as the answer is read.
class TALVEX_EXPORT AppMutexLocker {
public:
    explicit AppMutexLocker(const std::vector<std::string>& names);
    virtual ~AppMutexLocker();
    AppMutexLocker(const AppMutexLocker&) = delete;
    AppMutexLocker& operator=(const AppMutexLocker&) = delete;

    // True when no other process holds any of the names; never waits. A name whose lock
    // file cannot even be created cannot be held by anybody, so it counts as free. A
    // holder in this same process counts as another holder.
    virtual bool TryLockAppMutex();

private:
    std::vector<std::string> names;
    std::vector<std::unique_ptr<Native::LockFile>> held;
};

} // namespace Talvex::Util
