#pragma once

#include "App/Application/IPC/IIPCClient.h"

#include <TalvexExport.h>

#include <QString>
#include <QStringList>

#include <functional>

namespace Talvex::App {

// Starts a helper process (the slave) joined to this one (the master) by two named
// pipes, and joins a slave to its master from the slave's side. Both operations run
// on the caller's thread, block only while the pipes are set up, and log nothing
// themselves (the pipes log the refusals that point at tampering, the folder they use,
// and the names of dead masters that a launch removes).
class TALVEX_EXPORT IPCManager {
public:
    // Draws pipe ids. Every launch seeds the C library's generator with the time; the
    // default draws the next rand() value, kept within 0 to 32767.
    using PipeIdGenerator = std::function<int()>;

    // The names of the two pipes of an id: "TalvexIPCInput<id>" and
    // "TalvexIPCOutput<id>" in the per-user runtime folder. The master reads the output
    // pipe and writes the input pipe; the slave the other way round.
    static QString InputPipeName(const QString& id);
    static QString OutputPipeName(const QString& id);

    // Removes the pipe names that masters which died left behind, makes both pipes
    // under a fresh id, hands the channel to `client`, then starts `slavePath` (a file
    // beside this application, else the path as given) in its own folder with
    // `arguments` (split as a shell would) followed by the pipe id and this process's
    // id, and hands its process handle to `client`. False when the path is empty, a
    // pipe cannot be made, or the process does not start (the client then keeps the
    // channel). `channelFlag` goes to Talvex::Core::CommunicationChannel::Create unchanged.
    static bool LaunchSlave(IIPCClient& client, const QString& slavePath, const QString& arguments, bool channelFlag);

    // Reads the pipe id and the master's process id from this process's command line
    // (later switches win), opens the master's pipes and hands the channel to `client`,
    // then the master's process handle (null when it cannot be opened). False when a
    // switch is missing or empty, the process id is not a number, or the pipes cannot
    // be opened.
    static bool SetUpSlaveClient(IIPCClient& client, bool channelFlag);

    // What SetUpSlaveClient reads from a command line: the pipe id and the master's
    // process id. False, leaving the fields as read so far, when either is missing, empty
    // or zero (the id of a process id that is not a number).
    struct SlaveArguments {
        QString pipeId;
        long long processId = 0;
    };
    static bool ParseSlaveArguments(const QStringList& arguments, SlaveArguments& parsed);

    // Replaces the pipe id generator; an empty function restores the default. Returns
    // the previous one.
    static PipeIdGenerator SetPipeIdGenerator(PipeIdGenerator generator);

    // There is no state to assign.
    IPCManager& operator=(const IPCManager&) { return *this; }
};

} // namespace Talvex::App
