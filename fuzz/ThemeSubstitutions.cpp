// A theme's fonts.json goes from file to placeholders to a substituted style sheet.
// The file is arbitrary bytes; the sheet is made from the placeholders it defined and
// from the file's own text, so keys meet each other, stray "@"s and line breaks. The
// fast substitution must always give exactly the text of the defining loop.
#include "App/Application/LookAndFeel/PlaceholderSubstitution.h"
#include "App/Application/LookAndFeel/ThemeFileReader_p.h"
#include "App/Application/LookAndFeel/ZlibInflate_p.h"
#include "FuzzSupport.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using Talvex::App::PlaceholderSubstitution;
using Talvex::App::ThemeFileReader;

using Talvex::Fuzz::Require;

const QString& FilePath()
{
    static const QString path = Talvex::Fuzz::RunFile(QStringLiteral("fonts.json"));
    return path;
}

} // namespace

// The input is a plain file, never a compressed resource entry, so the reader never asks
// for the inflater module that lives beside the library.
Talvex::App::ZlibInflateFunction Talvex::App::ZlibInflater()
{
    return nullptr;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Both live for the whole run, as they do in a product switching between themes:
    // the reader remembers parsed files and the substitution keeps its matcher.
    static ThemeFileReader reader;
    static PlaceholderSubstitution substitution;

    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    Talvex::Fuzz::WriteInput(FilePath(), bytes);
    QMap<QString, QString> substitutions;
    reader.AddSubstitutions(FilePath(), QStringLiteral("linux"), QStringLiteral("de"), substitutions);
    QMap<QString, QString> again;
    reader.AddSubstitutions(FilePath(), QStringLiteral("linux"), QStringLiteral("de"), again);
    Require(again == substitutions, "a remembered file gave other substitutions");
    // What the reader parsed: the file as text, without carriage returns.
    QByteArray text;
    Require(ThemeFileReader::ReadText(FilePath(), text), "cannot read the input file back");
    QMap<QString, QString> byQt;
    for (const auto& [key, value] : ThemeFileReader::ParseWithQt(text, QStringLiteral("linux"), QStringLiteral("de"))) {
        byQt.insert(key, value);
    }
    Require(byQt == substitutions, "the quick reader and Qt's JSON disagree");

    // The sheet: every key in a rule, each key glued to the next, then the file itself.
    QString sheet;
    QString glued;
    for (auto it = substitutions.cbegin(); it != substitutions.cend(); ++it) {
        sheet += QStringLiteral("QWidget { font-family: ") + it.key() + QStringLiteral("; }\n");
        glued += it.key();
    }
    sheet += glued + QLatin1Char('\n') + ThemeFileReader::DecodeUtf8(bytes);

    substitution.Reset(substitutions);
    QString expected = sheet;
    PlaceholderSubstitution::ApplyByLoop(expected, substitutions);
    QString fast = sheet;
    substitution.Apply(fast);
    Require(fast == expected, "one scan and the loop disagree");

    const QStringList parts = sheet.split(QLatin1Char('\n'));
    QString joined = parts.join(QLatin1Char('\n')) + QLatin1Char('\n');
    PlaceholderSubstitution::ApplyByLoop(joined, substitutions);
    QString assembled;
    substitution.Assemble(parts, assembled);
    Require(assembled == joined, "the assembled parts and the loop disagree");
    return 0;
}
