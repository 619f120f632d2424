#include "Platform/Util/VersionToString.h"

#include <QStringList>

namespace Talvex::Util {

QString VersionToString(const Core::Version& version, int detail, const QString& separator)
{
    const unsigned int parts[] = {version.major, version.minor, version.build, version.revision};
    const int count = (detail <= 0 || detail > 4) ? 4 : detail;
    QStringList text;
    for (int index = 0; index < count; ++index) {
        text << QString::number(parts[index]);
    }
    return text.join(separator);
}

} // namespace Talvex::Util
