#include "App/Application/IPC/IPCManager.h"

#include "Platform/Core/ioPath.h"
#include "Platform/IO/CommunicationChannel.h"
#include "Platform/IO/DataInputPipe.h"
#include "Platform/IO/DataOutputPipe.h"
#include "Platform/IO/IOException.h"
#include "Platform/Native/AbandonedSockets.h"
#include "Platform/Native/PipeSocket.h"
#include "Platform/Native/ProcessHandle.h"
#include "Platform/Util/TextConversion.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdlib>
#include <ctime>
#include <utility>

namespace Talvex::App {

namespace {

const QString MASTER_PIPE_ID = QStringLiteral("/MasterPipeId=");
const QString PROCESS_ID = QStringLiteral("/ProcessId=");

// Ids stay within the range of the narrowest rand() the products run with, so a pipe
// id has at most five digits on every system.
constexpr int MAX_PIPE_ID = 32767;

int DrawWithRand()
{
    return std::rand() % (MAX_PIPE_ID + 1);
}

IPCManager::PipeIdGenerator& Generator()
{
    static IPCManager::PipeIdGenerator generator = DrawWithRand;
    return generator;
}

const char INPUT_STEM[] = "TalvexIPCInput";
const char OUTPUT_STEM[] = "TalvexIPCOutput";

QString PipeName(const char* stem, const QString& id)
{
    return Native::PipeSocket::Folder() + QLatin1Char('/') + QLatin1String(stem) + QStringLiteral("%1").arg(id);
}

// A master that was killed leaves the names of both its pipes behind; without this they
// would pile up with every such master.
void RemoveNamesOfDeadMasters()
{
    Native::RemoveAbandonedSockets(Native::PipeSocket::Folder(),
                                   {QLatin1String(INPUT_STEM), QLatin1String(OUTPUT_STEM)});
}

// A dangling link counts as taken too: it would make the pipe impossible to create.
bool IsTaken(const QString& name)
{
    const QFileInfo info(name);
    return info.exists() || info.isSymLink();
}

ioPath ExecutablePath(const QString& slavePath)
{
    ioPath path = ioPath(QCoreApplication::applicationDirPath()) / ioPath(slavePath);
    path.make_preferred();
    // Not there, or not to be looked at: the name is left to the search path.
    if (!QFileInfo::exists(path.ToQString())) {
        path = ioPath(slavePath);
        path.make_preferred();
    }
    return path;
}

boost::intrusive_ptr<Core::IDataChannel> OpenChannel(const QString& readName, const QString& writeName, bool create,
                                                     bool channelFlag)
{
    auto input = Core::DataInputPipe::Create(Util::QStringToUtf8(readName), create);
    auto output = Core::DataOutputPipe::Create(Util::QStringToUtf8(writeName), create);
    return Core::CommunicationChannel::Create(input, output, channelFlag);
}

QString DrawPipeId()
{
    for (;;) {
        const QString id = QString::number(Generator()());
        if (!IsTaken(IPCManager::OutputPipeName(id)) && !IsTaken(IPCManager::InputPipeName(id))) {
            return id;
        }
    }
}

} // namespace

QString IPCManager::InputPipeName(const QString& id)
{
    return PipeName(INPUT_STEM, id);
}

QString IPCManager::OutputPipeName(const QString& id)
{
    return PipeName(OUTPUT_STEM, id);
}

IPCManager::PipeIdGenerator IPCManager::SetPipeIdGenerator(PipeIdGenerator generator)
{
    if (!generator) {
        generator = DrawWithRand;
    }
    return std::exchange(Generator(), std::move(generator));
}

bool IPCManager::LaunchSlave(IIPCClient& client, const QString& slavePath, const QString& arguments, bool channelFlag)
{
    const ioPath executable = ExecutablePath(slavePath);
    if (executable.empty()) {
        return false;
    }
    ioPath folder = executable.parent_path();
    folder.make_preferred();
    const long long processId = Native::CurrentProcessId();
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    RemoveNamesOfDeadMasters();
    const QString id = DrawPipeId();
    try {
        client.SetCommunicationChannel(OpenChannel(OutputPipeName(id), InputPipeName(id), true, channelFlag));
    } catch (const Core::IOException&) {
        return false;
    }

    const QString parameters =
        arguments + QLatin1Char(' ') + MASTER_PIPE_ID + id + QLatin1Char(' ') + PROCESS_ID + QString::number(processId);
    long long handle = 0;
    if (!Native::StartDetachedProcess(executable.ToQString(), parameters, folder.ToQString(), handle)) {
        return false;
    }
    client.SetAppHandler(handle);
    return true;
}

bool IPCManager::ParseSlaveArguments(const QStringList& arguments, SlaveArguments& parsed)
{
    parsed = SlaveArguments();
    for (QString argument : arguments) {
        if (argument.contains(MASTER_PIPE_ID)) {
            parsed.pipeId = QString(argument).remove(MASTER_PIPE_ID);
        }
        if (argument.contains(PROCESS_ID)) {
            parsed.processId = argument.remove(PROCESS_ID).toLongLong();
        }
    }
    return !parsed.pipeId.isEmpty() && parsed.processId != 0;
}

bool IPCManager::SetUpSlaveClient(IIPCClient& client, bool channelFlag)
{
    SlaveArguments parsed;
    if (!ParseSlaveArguments(QCoreApplication::arguments(), parsed)) {
        return false;
    }
    const QString& id = parsed.pipeId;
    try {
        client.SetCommunicationChannel(OpenChannel(InputPipeName(id), OutputPipeName(id), false, channelFlag));
    } catch (const Core::IOException&) {
        return false;
    }
    client.SetAppHandler(Native::OpenProcessHandle(parsed.processId));
    return true;
}

} // namespace Talvex::App
