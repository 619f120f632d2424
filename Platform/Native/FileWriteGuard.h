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
// The lock file is opened without following a link and must be a regular file: a link,
// FIFO or device planted in its place is never touched. A guard that cannot open its
// lock file ("<file>.guard"), or that waited `waitMs` milliseconds for a holder that
// never let go (a stopped or hung process), guards nothing: it logs a WARNING naming
// the lock file and the file's users fall back to their own, weaker locking rather
// than freezing the program. With `waitMs` 0 the guard only tries once and, when
// another process holds it, stays quiet and reports IsBusy so that the caller can
// come back later. The folder of the file must exist; the guard creates none.
class TALVEX_EXPORT FileWriteGuard {
public:
    static const int DEFAULT_WAIT_MS = 3000;

    explicit FileWriteGuard(const QString& file, int waitMs = DEFAULT_WAIT_MS);
    ~FileWriteGuard();
    FileWriteGuard(const FileWriteGuard&) = delete;
    FileWriteGuard& operator=(const FileWriteGuard&) = delete;

    bool IsHeld() const { return descriptor >= 0; }
    // Whether another guard of the file held it for the whole wait.
    bool IsBusy() const { return busy; }

private:
    bool Open(const QByteArray& lockName);
    bool Lock(int waitMs);
    void WaitForNewTimeStamp() const;

    QString file;
    int descriptor = -1;
    bool busy = false;
};

} // namespace Talvex::Native
