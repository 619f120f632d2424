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

// "<sharedBase>/<part>/<part>/...": a folder of ours below the folder that every
// local user shares (the system's temporary folder, say) when each folder on the way
// there is, or can be made, ours as MakeOwnedFolder makes it (owner-only throughout
// with `ownerOnly`). When the shared folder does not exist or another user has taken
// one of those folders, the same path below `privateBase` (created when missing)
// instead; ERROR lines then name the folder that is not ours and the one used, calling
// them `purpose` folders ("Temporary folder /tmp/x is a symbolic link"). The result
// has '/' separators and no trailing one.
TALVEX_EXPORT QString LocateOwnedFolder(const QString& sharedBase, const QString& privateBase, const QStringList& parts,
                                        const char* purpose, bool ownerOnly = false);

} // namespace Talvex::Native
