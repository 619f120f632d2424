#include "Platform/Util/FontDatabase.h"

#include "Platform/Util/MountedResourceBundle.h"

#include <QByteArray>
#include <QFontDatabase>
#include <QResource>

#include <glog/logging.h>

#include <limits>
#include <optional>

namespace Talvex::Util {
namespace {

// A font stored as it is inside a bundle we mounted is handed to Qt as a view of the
// bundle's own bytes, which then stay for the rest of the process: by name, Qt would
// copy the whole file on every start to keep it, and read it again by name when a
// widget first draws with it, which fails once a theme switch has unmounted the bundle.
std::optional<int> AddFromMountedBundle(const QString& fileName)
{
    if (!fileName.startsWith(QLatin1Char(':'))) {
        return std::nullopt;
    }
    const QResource resource(fileName);
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression || !resource.data() ||
        resource.size() <= 0 || resource.size() > std::numeric_limits<int>::max() ||
        !MountedResourceBundle::KeepBytesHolding(resource.data())) {
        return std::nullopt;
    }
    const auto data =
        QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()), static_cast<int>(resource.size()));
    return QFontDatabase::addApplicationFontFromData(data);
}

} // namespace

int FontDatabase::addApplicationFont(const QString& fileName)
{
    const std::optional<int> viewed = AddFromMountedBundle(fileName);
    const int id = viewed ? *viewed : QFontDatabase::addApplicationFont(fileName);
    if (id < 0) {
        LOG(ERROR) << "Failed to register font " << fileName.toStdString();
    }
    return id;
}

} // namespace Talvex::Util
