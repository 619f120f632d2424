#include "App/Application/IPC/IPCManager.h"
#include "Platform/IO/CommunicationChannel.h"
#include "Platform/IO/DataInputPipe.h"
#include "Platform/IO/DataOutputPipe.h"
#include "Platform/Util/TextConversion.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

// The focus hand-back round trip from the slave's side: 17 bytes out, the master's
// reply in. The baseline makes the same exchange over a raw AF_UNIX socket pair with
// the same other process, which answers both in the same way.

using namespace Talvex;

namespace {

const char MESSAGE[] = "applicationClosed";
const QString PIPE_ID = QStringLiteral("4242");

class EchoMaster {
public:
    EchoMaster()
    {
        int pair[2];
        ::socketpair(AF_UNIX, SOCK_STREAM, 0, pair);
        ::fcntl(pair[0], F_SETFD, FD_CLOEXEC);
        raw = pair[0];
        child = ::fork();
        if (child == 0) {
            const std::string end = std::to_string(pair[1]);
            ::execl(TALVEX_ECHO_MASTER, TALVEX_ECHO_MASTER, end.c_str(), PIPE_ID.toLatin1().constData(), nullptr);
            ::_exit(127);
        }
        ::close(pair[1]);
        QDeadlineTimer deadline(10000);
        while (!QFileInfo::exists(App::IPCManager::InputPipeName(PIPE_ID)) && !deadline.hasExpired()) {
            QThread::msleep(5);
        }
        channel = Core::CommunicationChannel::Create(
            Core::DataInputPipe::Create(Util::QStringToUtf8(App::IPCManager::InputPipeName(PIPE_ID)), false),
            Core::DataOutputPipe::Create(Util::QStringToUtf8(App::IPCManager::OutputPipeName(PIPE_ID)), false), false);
    }

    ~EchoMaster()
    {
        ::close(raw);
        channel.reset();
        ::waitpid(child, nullptr, 0);
    }

    int raw = -1;
    boost::intrusive_ptr<Core::IDataChannel> channel;

private:
    pid_t child = -1;
};

EchoMaster& Echo()
{
    static EchoMaster echo;
    return echo;
}

void HandBackBaseline(benchmark::State& state)
{
    const int socket = Echo().raw;
    char reply[64];
    for (auto _ : state) {
        benchmark::DoNotOptimize(::write(socket, MESSAGE, 17));
        benchmark::DoNotOptimize(::read(socket, reply, sizeof(reply)));
    }
}

void HandBackChannel(benchmark::State& state)
{
    Core::IDataChannel& channel = *Echo().channel;
    std::vector<char> reply;
    for (auto _ : state) {
        channel.Write(MESSAGE, 17);
        reply.assign(channel.GetWaitingInputSize() + 1, 0);
        benchmark::DoNotOptimize(channel.Read(reply.data(), reply.size() - 1));
    }
}

} // namespace

BENCHMARK(HandBackBaseline)->Name("HandBackRoundTrip/baseline");
BENCHMARK(HandBackChannel)->Name("HandBackRoundTrip/channel");
