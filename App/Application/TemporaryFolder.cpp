#include "App/Application/TemporaryFolder.h"

#include "Platform/Native/OwnedFolder.h"
#include "Platform/Util/TextConversion.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <glog/logging.h>

namespace Talvex::App {
namespace {

// Makes `<base>/<product>/temp` owner-only folder by folder; false with an ERROR line
// naming the folder that is not ours.
bool MakeOwnedTemporaryFolder(const QString& base, const QString& productFolder)
{
    QString path = base;
    for (const QString& part : {productFolder, QStringLiteral("temp")}) {
        path += QLatin1Char('/') + part;
        QString problem;
        if (!Native::MakeOwnedFolder(path, &problem)) {
            LOG(ERROR) << "Temporary folder " << Util::QStringToUtf8(QDir::toNativeSeparators(path)) << ' '
                       << Util::QStringToUtf8(problem);
            return false;
        }
    }
    return true;
}

QString WithTrailingSeparator(const QString& base, const QString& productFolder)
{
    return QDir::toNativeSeparators(base + QDir::separator() + productFolder + QDir::separator() +
                                    QStringLiteral("temp") + QDir::separator());
}

} // namespace

QString TemporaryFolder::Locate(const QString& productFolder)
{
    // A temporary folder that is not there reads as empty, which would put ours at the
    // root of the file system.
    const QString shared = QDir::tempPath();
    if (!shared.isEmpty() && QFileInfo(shared).isDir() && MakeOwnedTemporaryFolder(shared, productFolder)) {
        return WithTrailingSeparator(shared, productFolder);
    }
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    QDir().mkpath(cache);
    MakeOwnedTemporaryFolder(cache, productFolder);
    const QString fallback = WithTrailingSeparator(cache, productFolder);
    LOG(ERROR) << "Using the private temporary folder " << Util::QStringToUtf8(fallback) << " instead";
    return fallback;
}

} // namespace Talvex::App
