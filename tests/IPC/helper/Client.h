#pragma once

#include "App/Application/IPC/IIPCClient.h"
#include "Platform/Native/ProcessHandle.h"

#include <QByteArray>

namespace Talvex::Test {

// Either end's client: keeps the channel and closes the other process's handle.
class Client : public App::IIPCClient {
public:
    ~Client() override { Native::CloseHandle(handle); }
    void SetCommunicationChannel(boost::intrusive_ptr<Core::IDataChannel> newChannel) override
    {
        channel = newChannel;
        channelBeforeHandle = handle == 0;
    }
    void SetAppHandler(long long newHandle) override { handle = newHandle; }
    void ChannelClosed() override { channel.reset(); }

    // Everything the other side sends until it closes its end.
    QByteArray ReadToEnd()
    {
        QByteArray all;
        char buffer[256];
        for (std::size_t count; (count = channel->Read(buffer, sizeof(buffer))) > 0;) {
            all.append(buffer, static_cast<int>(count));
        }
        return all;
    }

    boost::intrusive_ptr<Core::IDataChannel> channel;
    long long handle = 0;
    bool channelBeforeHandle = false;
};

} // namespace Talvex::Test
