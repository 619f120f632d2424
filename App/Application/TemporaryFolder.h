#pragma once

#include <QString>

namespace Talvex::App {

// Chooses and creates the product's folder for temporary files, as a path with native
// separators and a trailing separator.
//
// The folder is "<system temporary folder>/<product folder>/temp/" whenever that is
// safe. The system temporary folder is shared with every local user, who may plant a
// link or a folder of their own at that path before we get there; files we would
// write or expire there could then be theirs or anybody's. So both folders below it
// must be real folders of ours that nobody else can write (missing ones are created
// owner-only). When they are not, an ERROR is logged and the folder is
// "<user cache folder>/<product folder>/temp/" instead
// (QStandardPaths::GenericCacheLocation, inside the user's home).
class TemporaryFolder {
public:
    static QString Locate(const QString& productFolder);
};

} // namespace Talvex::App
