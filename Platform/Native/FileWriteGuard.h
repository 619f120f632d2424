#pragma once

#include <TalvexExport.h>

#include <QString>

namespace Talvex::Native {

// Serialises the read-modify-write cycles of a file that several processes share and
// each keep a parsed copy of (QSettings decides whether to re-read a file by its size
// and modification time). While a guard is held, no other guard of the same file is.
// Once it holds the lock, the guard waits (a few milliseconds at most) until the file
// system clock has moved past the file's modification time and then stamps the file
// anew: every parsed copy of it is stale from then on, and a write made under the
// guard always shows as a new time stamp, even when it leaves the size unchanged.
//
// A guard that cannot open its lock file ("<file>.guard"), or that waited `waitMs`
// milliseconds for a holder that never let go (a stopped or hung process), guards
// nothing: it logs a WARNING and the file's users fall back to their own, weaker
// locking rather than freezing the program.
class TALVEX_EXPORT FileWriteGuard {
public:
    static const int DEFAULT_WAIT_MS = 3000;

    explicit FileWriteGuard(const QString& file, int waitMs = DEFAULT_WAIT_MS);
    ~FileWriteGuard();
    FileWriteGuard(const FileWriteGuard&) = delete;
    FileWriteGuard& operator=(const FileWriteGuard&) = delete;

    bool IsHeld() const { return descriptor >= 0; }

private:
    bool Lock(int waitMs) const;
    void WaitForNewTimeStamp() const;

    QString file;
    int descriptor = -1;
};

} // namespace Talvex::Native
