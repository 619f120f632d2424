#include "Platform/Util/FontDatabase.h"

#include <QFontDatabase>

#include <glog/logging.h>

namespace Talvex::Util {

int FontDatabase::addApplicationFont(const QString& fileName)
{
    const int id = QFontDatabase::addApplicationFont(fileName);
    if (id < 0) {
        LOG(ERROR) << "Failed to register font " << fileName.toStdString();
    }
    return id;
}

} // namespace Talvex::Util
