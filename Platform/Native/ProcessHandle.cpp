#include "Platform/Native/ProcessHandle.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace Talvex::Native {

long long HandleFromDescriptor(int descriptor)
{
    if (descriptor == 0) {
        const int moved = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 1);
        ::close(descriptor);
        descriptor = moved;
    }
    return descriptor < 0 ? 0 : descriptor;
}

long long CurrentProcessId()
{
    return ::getpid();
}

bool StartDetachedProcess(const QString& program, const QString& parameters, const QString& folder, long long& handle)
{
    // The child enters `folder` before it runs the program, so a relative path with a
    // folder in it would be looked up from there; it names the file as we see it.
    const QString file = program.contains(QLatin1Char('/')) ? QFileInfo(program).absoluteFilePath() : program;
    qint64 pid = 0;
    if (!QProcess::startDetached(file, QProcess::splitCommand(parameters), folder, &pid)) {
        return false;
    }
    handle = OpenProcessHandle(pid);
    return true;
}

long long OpenProcessHandle(long long pid)
{
    if (pid <= 0) {
        return 0;
    }
    // pidfds are close-on-exec from the start.
    return HandleFromDescriptor(static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0)));
}

long long ProcessIdOf(long long handle)
{
    QFile info(QStringLiteral("/proc/self/fdinfo/%1").arg(handle));
    if (handle <= 0 || !info.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (QByteArray line = info.readLine(); !line.isEmpty(); line = info.readLine()) {
        if (line.startsWith("Pid:")) {
            return line.mid(4).trimmed().toLongLong();
        }
    }
    return 0;
}

void CloseHandle(long long handle)
{
    if (handle > 0) {
        ::close(static_cast<int>(handle));
    }
}

} // namespace Talvex::Native
