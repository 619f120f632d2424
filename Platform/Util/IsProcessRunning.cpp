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
    return !wanted.isEmpty() && running == wanted;
}

} // namespace Talvex::Util
