#pragma once

#include <TalvexExport.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Talvex::Util {

// Checks a compiled Qt translation catalogue (".qm") before it is loaded. Qt's
// translator trusts the offsets inside the file: a damaged hash table or message
// record makes every later translate() read outside the catalogue. The check walks
// every section the translator uses (hashes, messages, contexts, plural rules,
// dependencies) and accepts the catalogue only when each offset and length lies
// inside the file, every hash entry points at the start of a message record, and
// every record is well formed to its end tag.
class TALVEX_EXPORT TranslationCatalogueCheck {
public:
    // Larger catalogues are refused unread; real ones are a few hundred kilobytes.
    static constexpr qint64 MAX_SIZE = 64 * 1024 * 1024;

    // Returns false with the reason in `problem` (when given).
    static bool IsWellFormed(const QByteArray& catalogue, QString* problem = nullptr);

    // A catalogue may name further catalogues that Qt would load from disk, unchecked,
    // and without end when they name each other. For a well-formed catalogue, returns
    // the bytes to hand to the translator, without those names, and appends the names
    // to `dependencies` so the caller can load them itself; for any other, nothing, with
    // the reason in `problem` (when given).
    static QByteArray Loadable(const QByteArray& catalogue, QStringList& dependencies, QString* problem = nullptr);
};

} // namespace Talvex::Util
