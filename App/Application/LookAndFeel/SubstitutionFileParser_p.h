#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace Talvex::App {

// A quick reader of substitution files for the plain ASCII JSON that themes ship.
//
// The placeholders of a file are what Qt's JSON parser and QVariant make of it; their
// parser builds a whole document, which costs more than the rest of reading a theme.
// This reader walks the bytes once and keeps only the members it is asked for. It
// gives up, returning nothing, on anything where it could disagree with Qt: bytes
// outside printable ASCII in a string, "\u" escapes, numbers other than short plain
// integers, deep nesting and every syntax error. The caller then asks Qt, so the
// answer is always Qt's.
class SubstitutionFileParser {
public:
    using Entries = std::vector<std::pair<QString, QString>>;

    // The "@" placeholders of the members of top[p][l], for p in {"all_platforms",
    // `platform`} and l in {"all_languages", `locale`}, in that order; a later member
    // with the same key overrides an earlier one.
    static std::optional<Entries> Parse(const QByteArray& bytes, const QString& platform, const QString& locale);
};

} // namespace Talvex::App
