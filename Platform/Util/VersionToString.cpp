#include "Platform/Util/VersionToString.h"

#include <QStringList>

namespace Talvex::Util {

QString VersionToString(const Core::Version& version, int detail, const QString& separator)
{
    const unsigned int parts[] = {version.major, version.minor, version.build, version.revision};
    int count = (detail <= 0 || detail > 4) ? 4 : detail;
    // Detail 0 is the version as people write it: trailing zero parts after the minor
    // number are left out ("20.1.2", "3.1", "3.0").
    while (detail <= 0 && count > 2 && parts[count - 1] == 0) {
        --count;
    }
    QStringList text;
    for (int index = 0; index < count; ++index) {
        text << QString::number(parts[index]);
    }
    return text.join(separator);
}

} // namespace Talvex::Util
