#pragma once

#include <TalvexExport.h>

#include <QString>
#include <QStringList>

namespace Talvex::Native {

// Makes sure `path` is a folder that only this user controls: a real folder (not a
// symbolic link), owned by the effective user and writable by nobody else (with
// `ownerOnly`, not even readable or enterable). A missing folder is created owner-only
// (0700); its parent must exist. Existing folders are never changed.
//
// Returns false, with the reason in `problem`, when the folder cannot be created or
// is not ours.
TALVEX_EXPORT bool MakeOwnedFolder(const QString& path, QString* problem, bool ownerOnly = false);

// Whether `path` is such a folder of ours, without creating it. With `ownerOnly` other
// users may not even read or enter it.
TALVEX_EXPORT bool IsOwnedFolder(const QString& path, QString* problem, bool ownerOnly = false);

// Makes "<base>/<first part>/<second part>/..." folder by folder as MakeOwnedFolder
// does. False when one of them is not ours; an ERROR line names it, calling it the
// `purpose` folder ("Temporary folder /tmp/x is a symbolic link").
TALVEX_EXPORT bool MakeOwnedFolders(const QString& base, const QStringList& parts, const char* purpose,
                                    bool ownerOnly = false);

// A folder of ours for `parts` below the folder that every local user shares (the
// system's temporary folder, say), or below a private folder of this user when the
// shared one does not exist or another user has taken a folder on the way there. The
// shared place is used whenever MakeOwnedFolders succeeds there; otherwise an ERROR
// line names the private folder used instead. `privateBase` is created when missing.
// The result has '/' separators and no trailing one.
TALVEX_EXPORT QString LocateOwnedFolder(const QString& sharedBase, const QString& privateBase, const QStringList& parts,
                                        const char* purpose, bool ownerOnly = false);

} // namespace Talvex::Native
