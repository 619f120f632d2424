#pragma once

#include <TalvexExport.h>

#include <QByteArray>
#include <QString>

namespace Talvex::Util {

// Checks a compiled Qt resource bundle (".rcc") before it is registered. Qt's loader
// trusts every offset inside the file, so a truncated, damaged or hostile bundle
// would make it read outside the mapped file. The check walks the header, the whole
// node tree, every name and every data block, and accepts the bundle only when each
// of them lies inside the file and the tree has no loops.
//
// Returns false with the reason in `problem` (when given).
class TALVEX_EXPORT ResourceBundleCheck {
public:
    // Deflate turns no more than this many output bytes into one input byte, so a zlib
    // block that declares more than its bytes can ever give is damaged or hostile.
    static constexpr quint64 MAX_DEFLATE_RATIO = 1032;

    // Bundles are read whole into memory before they are checked; no theme comes near
    // this, and a larger file is refused unread.
    static constexpr qint64 MAX_FILE_SIZE = qint64(256) << 20;

    static bool IsWellFormed(const QByteArray& bundle, QString* problem = nullptr);
    // Reads the file first; a file that cannot be read is not well formed.
    static bool IsWellFormedFile(const QString& path, QString* problem = nullptr);
    // The bytes of the bundle file at `path`, read once into memory of their own, when
    // they are well formed; empty otherwise. Only a regular file is read: a FIFO or
    // device planted under that name is refused without waiting on it. A file cut
    // short while it is read is judged by the bytes that were there.
    static QByteArray ReadWellFormedFile(const QString& path, QString* problem = nullptr);
};

} // namespace Talvex::Util
