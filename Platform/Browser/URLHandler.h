#pragma once

#include "Platform/Browser/AbstractPreferredBrowser.h"

#include <TalvexExport.h>

#include <QObject>
#include <QUrl>

#include <memory>

namespace Talvex {

// Opens links in the preferred browser. Meant to be registered with
// QDesktopServices::setUrlHandler for "http" and "https" under the slot name
// "OpenURLWithPreferredBrowser"; it starts the browser itself instead of going back
// through QDesktopServices, which would hand the link straight back to this handler.
class TALVEX_EXPORT URLHandler : public QObject {
    Q_OBJECT
public:
    URLHandler(QObject* parent, std::shared_ptr<AbstractPreferredBrowser> browser);
    ~URLHandler() override;

public slots:
    // Starts the browser detached; failure is logged and otherwise ignored.
    void OpenURLWithPreferredBrowser(const QUrl& url);

private:
    std::shared_ptr<AbstractPreferredBrowser> browser;
};

} // namespace Talvex
