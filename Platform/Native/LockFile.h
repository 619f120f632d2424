#pragma once

#include <TalvexExport.h>

#include <QByteArray>
#include <QString>

#include <memory>
#include <string>

namespace Talvex::Native {

// An open lock file standing in for a system-wide named mutex: "<name>.lock" in the
// per-user runtime folder, which must be an owner-only folder of ours (nobody else can
// then remove, replace or plant lock files). A lock file that is a link or not ours is
// refused; a lock taken on a file that was removed meanwhile is noticed and taken again
// on the file now at the path. Closing it (destruction) drops any lock it holds, and the
// system drops it too when the process dies, so a crashed holder never blocks others.
class TALVEX_EXPORT LockFile {
public:
    // Opens the lock file for `name`, creating the file (and the runtime folder, owner
    // only) when needed. Null when that is impossible; the reason is logged at ERROR
    // unless `quiet`.
    static std::unique_ptr<LockFile> Open(const std::string& name, bool quiet = false);
    // Where the lock file for `name` lives; "/" in names becomes "_".
    static QString PathFor(const std::string& name);

    ~LockFile();
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    // Never waits: false when another process holds a conflicting lock.
    bool TryLockShared();
    bool TryLockExclusive();

private:
    LockFile(int descriptor, QByteArray path);
    bool TryLock(int operation);

    int descriptor;
    QByteArray path;
};

} // namespace Talvex::Native
