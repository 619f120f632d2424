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

// Makes "<base>/<part>/<part>/..." one folder at a time as MakeOwnedFolder does, so that
// each one is ours from the moment it exists and one that another user made or took
// first is refused rather than used; `base` must exist. Returns the first folder that
// is not ours, with the reason in `problem`; empty when every one is.
TALVEX_EXPORT QString MakeOwnedFolders(const QString& base, const QStringList& parts, QString* problem,
                                       bool ownerOnly = false);

// The same for a place that holds this user's own files (a session store, log files)
// below `base`, a folder of the user's home: nothing is created unless `base` lies in
// our own space (IsInOwnSpace), which a root run given another user's home does not;
// `base` is then created as needed, and a folder of ours below it that only our group
// may also write (a user-private-group umask, 002) is closed to the group rather than
// refused. Returns `base` itself when it is not in our own space.
TALVEX_EXPORT QString MakePrivateFolders(const QString& base, const QStringList& parts, QString* problem);

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

// Whether nobody but this user and root can rename or replace any existing folder above
// `path`, which a check of `path` alone (with a link at its name never followed) cannot
// see: each must be owned by us or root and, unless its sticky bit keeps others' hands
// off our entries (as in the system's temporary folder), writable by nobody else. A
// link on the way, when ours or root's (as /var/run to /run), is resolved and the real
// folders it leads to must pass too. Folders from the first missing one on are not
// examined: whoever creates them makes them. Returns false, with the folder and the
// reason in `problem`, otherwise.
TALVEX_EXPORT bool HasSafeParents(const QString& path, QString* problem);

// Takes the group's write permission off `path` when it is a real folder or a regular
// file of ours (never through a link) that only its owner and group may write. Under a
// user-private-group umask (002) whatever is created without an explicit mode comes out
// that way, a file QSettings makes afresh on every save and a folder a test script
// makes included; closed to the group, it passes the checks above instead of being
// refused. A folder or file that everybody may write, anything not ours and anything
// else is left as it is.
TALVEX_EXPORT void WithdrawGroupWrite(const QString& path);

// Takes every permission of the group and of others off `path` when it is a real folder
// of ours (never through a link). A folder meant to be owner-only that an older build or
// a restored backup left open (0755, 0750) is closed this way rather than refused; the
// owner's own permissions stay as they are. Anything else is left as it is.
TALVEX_EXPORT void WithdrawOthersAccess(const QString& path);

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
