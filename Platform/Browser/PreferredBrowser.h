#pragma once

#include "Platform/Browser/AbstractPreferredBrowser.h"

#include <TalvexExport.h>

namespace Talvex {

namespace Browser {
struct BrowserCommand;
}

// The browser the user prefers, chosen afresh on every call in this order:
//   1. the context's preferredBrowser, when it names an existing executable file
//      (the product's own record of the user's choice beats everything else);
//   2. the first usable entry of $BROWSER (a ':'-separated list of commands, where
//      "%s" marks the place of the address);
//   3. the context's installerBrowser, when it names an existing executable file;
//   4. the desktop's default handler of http links (mimeapps.list and the desktop
//      entry it names; read directly rather than through xdg-settings, which is a
//      shell script reading the same files and slow enough to show at start-up);
//   5. xdg-open.
// When none of these exists, Path is empty and links cannot be opened.
class TALVEX_EXPORT PreferredBrowser : public AbstractPreferredBrowser {
public:
    PreferredBrowser();
    ~PreferredBrowser() override;

    QString Path() const override;
    QString UserAgent() const override;
    QStringList Command(const QUrl& url) const override;

private:
    Browser::BrowserCommand Choose(const PreferredBrowserContext& context) const;
};

} // namespace Talvex
