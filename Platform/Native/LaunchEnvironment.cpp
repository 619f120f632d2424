#include "Platform/Native/LaunchEnvironment.h"

#include <cstdlib>

#include <limits.h>
#include <unistd.h>

namespace Talvex::Native {
namespace {

const char STARTUP_ID[] = "DESKTOP_STARTUP_ID";
const char ACTIVATION_TOKEN[] = "XDG_ACTIVATION_TOKEN";

QByteArray Take(const char* name)
{
    const char* value = std::getenv(name);
    const QByteArray taken(value ? value : "");
    ::unsetenv(name);
    return taken;
}

void PutBack(const char* name, const QByteArray& value)
{
    if (!value.isEmpty()) {
        ::setenv(name, value.constData(), 1);
    }
}

// The raw bytes the system has, whatever their encoding; empty when it is gone.
QByteArray WorkingFolder()
{
    QByteArray folder(PATH_MAX, '\0');
    if (!::getcwd(folder.data(), static_cast<std::size_t>(folder.size()))) {
        return QByteArray();
    }
    folder.truncate(static_cast<int>(qstrlen(folder.constData())));
    return folder;
}

} // namespace

LaunchEnvironment::LaunchEnvironment() : startupId(Take(STARTUP_ID)), activationToken(Take(ACTIVATION_TOKEN))
{
}

HandOverMessage LaunchEnvironment::Message(int argc, char** argv) const
{
    HandOverMessage message;
    message.workingFolder = WorkingFolder();
    message.startupId = startupId;
    message.activationToken = activationToken;
    for (int i = 0; i < argc; ++i) {
        message.arguments.append(QByteArray(argv[i]));
    }
    return message;
}

void LaunchEnvironment::Restore()
{
    PutBack(STARTUP_ID, startupId);
    PutBack(ACTIVATION_TOKEN, activationToken);
}

} // namespace Talvex::Native
