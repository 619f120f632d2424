#pragma once

#include <TalvexExport.h>

#include <QString>

namespace Talvex::Native {

// Makes sure `path` is a folder that only this user controls: a real folder (not a
// symbolic link), owned by the effective user and writable by nobody else. A missing
// folder is created owner-only (0700); its parent must exist. Existing folders are
// never changed.
//
// Returns false, with the reason in `problem`, when the folder cannot be created or
// is not ours.
TALVEX_EXPORT bool MakeOwnedFolder(const QString& path, QString* problem);

// Whether `path` is such a folder of ours, without creating it. With `ownerOnly` other
// users may not even read or enter it.
TALVEX_EXPORT bool IsOwnedFolder(const QString& path, QString* problem, bool ownerOnly = false);

// Whether the nearest folder at or above `path` that exists belongs to the effective
// user, so that folders created below it stay in our own space. A root run given
// another user's home (as sudo without -H gives) must leave nothing of root's there,
// which would lock that user out of their own files.
TALVEX_EXPORT bool IsInOwnSpace(const QString& path, QString* problem);

// Whether `path` is a regular file (not a symbolic link, FIFO or device) owned by the
// effective user and writable by nobody else, so that it may be read or replaced without
// touching anything another user placed there. A missing file is not ours either; callers
// that may create it test for that first.
TALVEX_EXPORT bool IsOwnedFile(const QString& path, QString* problem);

} // namespace Talvex::Native
