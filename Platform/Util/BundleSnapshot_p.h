#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace Talvex::Util {

// Checked theme bundles kept as files of our own in the user's cache
// ("<cache>/Talvex/Bundles", one per bundle path), so that a later mount maps the kept
// copy instead of reading the bundle into memory of its own. A mapped copy costs only
// the pages that are read (a font's tables, the entries shown), and those are shared
// with every other process that maps it and given back to the system under pressure.
// The bundle itself is never mapped: an installer may overwrite it in place while the
// product runs. Our copy is only ever replaced by renaming a new file over it, so a
// mapping of it keeps the bytes it was made from.
//
// A copy is used while the bundle still has the size, times, device, inode and mount
// it had when the copy was made, and only if it is ours alone, whole and still well formed.
// A bundle changed moments ago is not kept: a file rewritten within one tick of the
// clock may keep its times.
class BundleSnapshot {
public:
    struct Stamp {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::uint64_t size = 0;
        std::int64_t modified = 0; // nanoseconds
        std::int64_t changed = 0;  // nanoseconds
        std::int64_t born = 0;     // nanoseconds, where the file system keeps it
        std::uint64_t mount = 0;   // the mount's identifier
        bool valid = false;

        bool operator==(const Stamp& other) const;
    };

    // What identifies the bundle at `path` now; not valid when it is not a regular file.
    static Stamp StampOf(const QString& path);
    // The bytes of the copy kept of the bundle at `path` as `stamp` describes it, as a
    // view of a read-only mapping (mounting the same copy again uses the same mapping),
    // which lasts until each Find of it is matched by a Release; empty when no usable
    // copy is kept.
    static QByteArray Find(const QString& path, const Stamp& stamp);
    // Ends one use of the mapping that `data`, as Find gave it, starts; nothing for bytes
    // that are no mapping of ours.
    static void Release(const char* data);
    // Keeps `bytes`, read and checked from `path` while it was as `stamp` describes.
    static void Keep(const QString& path, const Stamp& stamp, const QByteArray& bytes);
};

} // namespace Talvex::Util
