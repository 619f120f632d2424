#include "App/Application/CrashSessionFolder.h"

#include "App/Application/BuildConstants.h"

#include <QDir>
#include <QStandardPaths>

namespace Talvex::App {

QString CrashSessionFolder()
{
    const QString separator = QDir::separator();
    const QString productFolder = QStringLiteral("%1 %2.%3")
                                      .arg(QLatin1String(Build::PRODUCT_NAME), QLatin1String(Build::MAJOR_VERSION),
                                           QLatin1String(Build::MINOR_VERSION));
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + separator + QStringLiteral("Talvex") +
           separator + productFolder;
}

} // namespace Talvex::App
