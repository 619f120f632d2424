#include "App/Application/InstallerCheck.h"

#include "Platform/Core/SleepFor.h"
#include "Platform/Native/ScriptLauncher.h"
#include "Platform/Util/AppMutexLocker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <chrono>

namespace Talvex::App {
namespace {

const char INSTALLER_MUTEX[] = "{2A662D1A-83CB-406E-BC7A-A5E8644DC1D4}";
const auto INSTALLER_WAIT = std::chrono::milliseconds(500);

// Without an application object Qt knows no program folder and answers an empty
// name, which would make the script's path relative to the current folder.
QString ProgramFolder()
{
    if (QCoreApplication::instance()) {
        return QCoreApplication::applicationDirPath();
    }
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath();
}

} // namespace

bool InstallerCheck::Run()
{
    Util::AppMutexLocker locker({INSTALLER_MUTEX});
    const auto begin = std::chrono::steady_clock::now();
    do {
        if (locker.TryLockAppMutex()) {
            return false;
        }
        Core::SleepFor(1);
    } while (std::chrono::steady_clock::now() - begin < INSTALLER_WAIT);
    // Only the script shipped beside the program: the current folder may be a shared
    // one where another user has planted a script of that name.
    Native::StartScript(QDir(ProgramFolder()).filePath(QLatin1String(Native::INSTALLER_MESSAGE_SCRIPT)));
    return true;
}

} // namespace Talvex::App
