#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace Talvex::App {

// Keeps each theme's united style sheet in the user's cache folder, so that a start or
// a switch back to a theme reads the finished sheet instead of decompressing, parsing
// and substituting its files again. An entry is keyed by the exact bytes the sheet is
// built from (each file's stored, usually compressed, bytes and how they are stored),
// by what else the build depends on (language, platform, accent colour) and by the
// build of this library, so a sheet is found only where building it afresh would give
// the same text. One file per theme folder, theme and language holds the latest sheet
// built for them: a changed theme replaces its entry rather than adding one.
//
// The folder ("<cache>/Talvex/StyleSheets") must be ours alone, as our other private
// folders; when it is not, or in another user's home, nothing is kept and one WARNING
// says why. Entries are written to a file of their own and renamed into place, so a
// reader never sees half an entry; one that is damaged, foreign or not a regular file
// is not used.
class StyleSheetCache {
public:
    struct Key {
        std::uint64_t slot = 0;
        std::uint64_t content = 0;
        bool usable = false;
    };

    // The key of a sheet built from `files` (in the order the build reads them) of the
    // theme `slotName` names, with `settings` the rest of the build's inputs. Only
    // resources can be keyed by their stored bytes: any other file makes the key
    // unusable, and such a sheet is always built afresh.
    static Key KeyOf(const QString& slotName, const QStringList& files, const QStringList& settings);

    // The sheet (UTF-8) kept under `key`; false when there is none.
    static bool Find(const Key& key, QByteArray& sheet);
    static void Keep(const Key& key, const QByteArray& sheet);
};

} // namespace Talvex::App
