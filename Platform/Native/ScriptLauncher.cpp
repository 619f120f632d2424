#include "Platform/Native/ScriptLauncher.h"

#include <QProcess>

namespace Talvex::Native {

void StartScript(const QString& name)
{
    QProcess::startDetached(QStringLiteral("/bin/sh"), {name});
}

} // namespace Talvex::Native
