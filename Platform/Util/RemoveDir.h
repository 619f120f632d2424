#pragma once

#include <TalvexExport.h>

#include <QString>

namespace Talvex::Util {

// Clears expired files from the folder `path` and everything below it.
//
// A file (or symbolic link, which is never followed) expires when its last
// modification is more than `days` days ago; `days` <= 0 expires every file. A
// subfolder that was itself older than that goes too once it is empty. With
// `removeSelf` the folder `path` is removed as well when nothing is left in it.
// Files that are still fresh are never touched.
//
// Symbolic links are never followed, not even when `path` itself is one: such a
// path is refused. Names are handled as raw bytes, valid text or not.
//
// Returns false when something expired could not be removed or a folder below could
// not be read (each logged at ERROR). A folder that does not exist is already clear.
TALVEX_EXPORT bool RemoveDir(const QString& path, int days, bool removeSelf);

} // namespace Talvex::Util
