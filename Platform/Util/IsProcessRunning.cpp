#include "Platform/Util/IsProcessRunning.h"

#include <QFileInfo>

namespace Talvex::Util {

bool IsProcessRunning(unsigned long pid, const QString& executablePath)
{
    if (pid == 0) {
        return false;
    }
    const QFileInfo link(QStringLiteral("/proc/%1/exe").arg(pid));
    const QString running = link.symLinkTarget();
    if (running.isEmpty()) {
        return false;
    }
    const QString wanted = QFileInfo(executablePath).canonicalFilePath();
    // A process started before its executable was replaced (an update) or removed still
    // runs that program; the system then names its file with a mark.
    return !wanted.isEmpty() && (running == wanted || running == wanted + QLatin1String(" (deleted)"));
}

} // namespace Talvex::Util
