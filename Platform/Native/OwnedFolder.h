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

// Our own folder or file, claimed rather than refused when we left it open. Under a
// user-private-group umask (002) whatever is created without an explicit mode comes out
// writable by our group: a file QSettings makes afresh on every save, a folder a test
// script makes, a store an older build made; and an older build or a restored backup may
// have left a folder that should be owner-only readable by others (0755, 0750). Refusing
// those would leave that user's runs untracked or unreported, so the permissions are
// taken off first and the usual check follows. Only a real folder or regular file of ours
// (never through a link, judged on what was opened) is ever changed; anything another
// user owns, a link, a FIFO, and a folder or file that everybody may write are left as
// they are and refused by the check, except as `ownerOnly` says below.
//
// ClaimOwnedFolder: MakeOwnedFolder, after taking the group's write off a folder of ours
// (with `ownerOnly`, every permission of the group and of others, from a folder of ours
// that everybody may write too: what others may have put there meanwhile is for the
// caller to judge entry by entry, as the crash reports judge each report).
TALVEX_EXPORT bool ClaimOwnedFolder(const QString& path, QString* problem, bool ownerOnly = false);

// ClaimOwnedFile: IsOwnedFile, after taking the group's write off a regular file of ours.
TALVEX_EXPORT bool ClaimOwnedFile(const QString& path, QString* problem);

// MakeOwnedFolders with each level claimed as ClaimOwnedFolder claims it.
TALVEX_EXPORT QString ClaimOwnedFolders(const QString& base, const QStringList& parts, QString* problem);

// ClaimOwnedFolders for a place that holds this user's own files (a session store, log
// files) below `base`, a folder of the user's home: nothing is created unless `base`
// lies in our own space (IsInOwnSpace), which a root run given another user's home does
// not; `base` is then created as needed. Returns `base` itself when it is not in our
// own space.
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
