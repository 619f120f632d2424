#pragma once

#include "Platform/Browser/PreferredBrowserContext.h"

#include <TalvexExport.h>

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

namespace Talvex {

// Chooses the web browser that opens the product's links. Nothing is cached: every
// operation is a fresh decision that asks the context callback again, so a setting
// changed a moment ago is honoured by the next link. GUI thread only.
class TALVEX_EXPORT AbstractPreferredBrowser {
public:
    using ContextCallback = std::function<PreferredBrowserContext()>;

    virtual ~AbstractPreferredBrowser();

    // Executable of the chosen browser; empty when there is none at all.
    virtual QString Path() const = 0;
    // User-agent text of the chosen browser, for requests the product makes on its behalf.
    virtual QString UserAgent() const = 0;
    // Program followed by its arguments that open `url`; empty when there is no browser.
    virtual QStringList Command(const QUrl& url) const = 0;

    // Without a callback (or before one is set) the context is empty.
    void SetContextCallback(ContextCallback callback);

protected:
    PreferredBrowserContext Context() const;

private:
    ContextCallback contextCallback;
};

} // namespace Talvex
