#include "Platform/Native/ScriptLauncher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <glog/logging.h>

namespace Talvex::Native {

void StartScript(const QString& path)
{
    if (!QDir::isAbsolutePath(path)) {
        LOG(ERROR) << "Refusing to start the script " << path.toUtf8().toStdString()
                   << " by a name relative to the current folder";
        return;
    }
    // It runs in its own folder too, not in whatever folder we were started from.
    QProcess::startDetached(QStringLiteral("/bin/sh"), {path}, QFileInfo(path).path());
}

} // namespace Talvex::Native
