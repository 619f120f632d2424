// Answers every 17-byte hand-back message with a "yes=<window>" reply, on the socket
// pair end given as the first argument and on the pipes named by the id given as the
// second, each in a thread of its own, until the other side closes.

#include "App/Application/IPC/IPCManager.h"
#include "Platform/IO/CommunicationChannel.h"
#include "Platform/IO/DataInputPipe.h"
#include "Platform/IO/DataOutputPipe.h"
#include "Platform/Util/TextConversion.h"

#include <cstdlib>
#include <cstring>
#include <thread>

#include <unistd.h>

namespace {

const char REPLY[] = "yes=71303170";

void AnswerRaw(int descriptor)
{
    char message[17];
    while (::read(descriptor, message, sizeof(message)) == static_cast<ssize_t>(sizeof(message))) {
        if (::write(descriptor, REPLY, std::strlen(REPLY)) < 0) {
            break;
        }
    }
}

void AnswerPipes(const QString& id)
{
    using namespace Talvex;
    auto channel = Core::CommunicationChannel::Create(
        Core::DataInputPipe::Create(Util::QStringToUtf8(App::IPCManager::OutputPipeName(id)), true),
        Core::DataOutputPipe::Create(Util::QStringToUtf8(App::IPCManager::InputPipeName(id)), true), false);
    channel->SetTimeout(3600 * 1000);
    char message[17];
    while (channel->Read(message, sizeof(message)) == sizeof(message)) {
        channel->Write(REPLY, std::strlen(REPLY));
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        return 2;
    }
    std::thread raw(AnswerRaw, std::atoi(argv[1]));
    AnswerPipes(QString::fromLatin1(argv[2]));
    raw.join();
    return 0;
}
