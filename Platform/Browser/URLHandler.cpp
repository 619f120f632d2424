#include "Platform/Browser/URLHandler.h"

#include "Platform/Logging/LogLine.h"

#include <QProcess>

#include <utility>

namespace Talvex {

URLHandler::URLHandler(QObject* parent, std::shared_ptr<AbstractPreferredBrowser> browser)
    : QObject(parent), browser(std::move(browser))
{
}

URLHandler::~URLHandler() = default;

void URLHandler::OpenURLWithPreferredBrowser(const QUrl& url)
{
    QStringList command = browser ? browser->Command(url) : QStringList();
    const QString address = url.toString(QUrl::FullyEncoded);
    if (command.isEmpty()) {
        TALVEX_LOG(ERROR) << "No browser found to open " << address.toStdString();
        return;
    }
    const QString program = command.takeFirst();
    if (!QProcess::startDetached(program, command)) {
        TALVEX_LOG(ERROR) << "Failed to start the browser " << program.toStdString() << " for "
                          << address.toStdString();
    }
}

} // namespace Talvex
