#include "PlaceholderScan.h"

namespace Talvex::ThemeCheck {

namespace {

bool StartsName(QChar character)
{
    return character.isLetter() || character == QLatin1Char('_');
}

bool ContinuesName(QChar character)
{
    return character.isLetterOrNumber() || character == QLatin1Char('_') || character == QLatin1Char('-');
}

} // namespace

QStringList PlaceholderScan::Placeholders(const QString& text)
{
    QStringList found;
    for (int at = text.indexOf(QLatin1Char('@')); at >= 0; at = text.indexOf(QLatin1Char('@'), at + 1)) {
        int end = at + 1;
        if (end >= text.size() || !StartsName(text.at(end))) {
            continue;
        }
        while (end < text.size() && ContinuesName(text.at(end))) {
            ++end;
        }
        const QString placeholder = text.mid(at, end - at);
        if (!found.contains(placeholder)) {
            found.append(placeholder);
        }
    }
    return found;
}

QSet<QString> PlaceholderScan::Used(const QSet<QString>& definitions, const QStringList& texts)
{
    QSet<QString> used;
    for (const QString& name : definitions) {
        const QString placeholder = QLatin1Char('@') + name;
        for (const QString& text : texts) {
            if (text.contains(placeholder)) {
                used.insert(name);
                break;
            }
        }
    }
    return used;
}

} // namespace Talvex::ThemeCheck
