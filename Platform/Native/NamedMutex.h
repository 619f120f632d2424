#pragma once

#include <TalvexExport.h>

#include <memory>
#include <string>

namespace Talvex::Native {

class LockFile;

// Holds a system-wide named mutex for the lifetime of the object, so that other
// processes can tell (through AppMutexLocker) that this program runs. Several holders
// of one name may coexist; the mutex is released on destruction or process death.
class TALVEX_EXPORT NamedMutex {
public:
    // Null when the mutex cannot be held: its lock file cannot be created, or another
    // process is probing it at this very moment. Logged at ERROR; callers may ignore it.
    static std::unique_ptr<NamedMutex> Create(const std::string& name);

    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

private:
    explicit NamedMutex(std::unique_ptr<LockFile> file);

    std::unique_ptr<LockFile> file;
};

} // namespace Talvex::Native
