// A slave process trusts nothing about the command line it was started with: anyone
// may start it with any arguments. The input is that line, arguments separated by NUL
// bytes; reading the master's pipe id and process id from it must never fail, and a
// line it accepts must give names for both pipes.
#include "App/Application/IPC/IPCManager.h"
#include "FuzzSupport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using Talvex::App::IPCManager;

using Talvex::Fuzz::Require;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QStringList arguments = Talvex::Fuzz::ArgumentsFrom(data, size);
    IPCManager::SlaveArguments parsed;
    const bool accepted = IPCManager::ParseSlaveArguments(arguments, parsed);
    Require(accepted == (!parsed.pipeId.isEmpty() && parsed.processId != 0), "accepted without both values");
    if (accepted) {
        Require(IPCManager::InputPipeName(parsed.pipeId) != IPCManager::OutputPipeName(parsed.pipeId),
                "both pipes under one name");
    }
    return 0;
}
