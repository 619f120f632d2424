#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace Talvex::Browser {

// A browser program and its argument template. The template may hold the places for
// the address that $BROWSER ("%s") and desktop entries ("%u", "%U", "%f", "%F") use.
struct BrowserCommand {
    QString program;
    QStringList arguments;

    bool IsEmpty() const { return program.isEmpty(); }
    // Program and arguments with the address put in its place, or appended when the
    // template has no place for it.
    QStringList Expand(const QUrl& url) const;
};

// The program of `path` when it is an existing executable file, else empty.
BrowserCommand ExecutableFile(const QString& path);
// The first entry of a $BROWSER-style list ("a:b %s:c") whose program can be found.
BrowserCommand FromBrowserVariable(const QString& value);
// The desktop's default handler of http links, from mimeapps.list and its desktop entry.
BrowserCommand DesktopDefault();

} // namespace Talvex::Browser
