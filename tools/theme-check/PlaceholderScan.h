#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace Talvex::ThemeCheck {

// Finds placeholders ("@" and a name) in style sheet text. A name starts with a letter
// or "_" and goes on with letters, digits, "_" and "-"; an "@" followed by a digit is
// part of an image name such as "icon@2x.png" and no placeholder.
class PlaceholderScan {
public:
    // Every distinct placeholder in `text`, with its "@", in order of first appearance.
    static QStringList Placeholders(const QString& text);
    // The names (without "@") of `definitions` that occur as "@" name somewhere in
    // `texts`. Substitution is plain text replacement, so "@size" counts as used inside
    // "@sizeLarge" too: it would be replaced there.
    static QSet<QString> Used(const QSet<QString>& definitions, const QStringList& texts);
};

} // namespace Talvex::ThemeCheck
