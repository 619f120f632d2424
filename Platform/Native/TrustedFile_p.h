#pragma once

#include <string>

namespace Talvex::Native {

// Opens `path` for reading where any folder on the way may be one that other users can
// write (a program unpacked under /tmp and gone since): a symbolic link is followed only
// when root or the effective user owns it, nothing waits (a FIFO planted at the name),
// and only a regular file that root or the effective user owns and that nobody else may
// write is accepted. The descriptor (close-on-exec), or -1 with errno EPERM when
// something else is there, and ENOENT or ENOTDIR when nothing is (a relative path counts
// as nothing: whatever the working folder holds proves nothing).
int OpenTrustedFileForReading(const std::string& path);

} // namespace Talvex::Native
