#pragma once

#include "App/Application/LookAndFeel/SubstitutionFileParser_p.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <deque>
#include <utility>
#include <vector>

namespace Talvex::App {

// Reads the files of a theme exactly as a text-mode QFile and the JSON variant map would
// give them, without their cost: files are read in one piece and only carriage returns
// are dropped, and substitution files are parsed straight from the JSON object. What a
// substitution file gave is kept, keyed by its bytes and the locale, so switching back
// to a theme, or applying the current one again, does not parse it again.
class ThemeFileReader {
public:
    // The bytes of `path` with every carriage return dropped, as QIODevice::Text reads
    // them; false, with `bytes` empty, when the file does not open.
    static bool ReadText(const QString& path, QByteArray& bytes);
    // The text up to the first NUL, as QString::fromUtf8 of a byte array gives it.
    static QString DecodeUtf8(const QByteArray& bytes);

    // Adds to `substitutions` the placeholders ("@" name) of one substitution file, in
    // precedence order: all platforms then `platform`, each with all languages then
    // `locale`. A file that does not open or parse adds nothing.
    void AddSubstitutions(const QString& path, const QString& platform, const QString& locale,
                          QMap<QString, QString>& substitutions);

    using Entries = SubstitutionFileParser::Entries;
    // The placeholders of a substitution file's bytes, as AddSubstitutions takes them
    // (in precedence order, a later one overriding an earlier one of the same name).
    static Entries Parse(const QByteArray& bytes, const QString& platform, const QString& locale);
    // The same through Qt's JSON document and QVariant: the reference for any file.
    static Entries ParseWithQt(const QByteArray& bytes, const QString& platform, const QString& locale);

private:
    struct Parsed {
        QByteArray bytes;
        QString locale;
        Entries entries;
    };

    std::deque<Parsed> recent; // most recent first, bounded
};

} // namespace Talvex::App
