#include "App/Application/TemporaryFolder.h"

#include "Platform/Native/OwnedFolder.h"

#include <QDir>
#include <QStandardPaths>

namespace Talvex::App {

QString TemporaryFolder::Locate(const QString& productFolder)
{
    const QString folder = Native::LocateOwnedFolder(
        QDir::tempPath(), QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation),
        {productFolder, QStringLiteral("temp")}, "Temporary");
    return QDir::toNativeSeparators(folder + QLatin1Char('/'));
}

} // namespace Talvex::App
