#pragma once

#include <TalvexExport.h>

#include <QString>

class QFile;

namespace Talvex::Native {

// Opens `file` (at its file name) write-only and empties it, where the name may lie in
// a folder that other users can reach: a symbolic link at the name is never followed,
// a FIFO or device never blocks the caller, and only a regular file of the effective
// user with no other name is emptied (so no file behind a planted hard link loses its
// contents). A missing file is created as QFile would create it.
//
// Returns false, with the reason in `problem`, when the file cannot be opened or is
// not such a file; nothing on disk has changed then.
TALVEX_EXPORT bool OpenOwnedFileForWriting(QFile& file, QString* problem);

} // namespace Talvex::Native
