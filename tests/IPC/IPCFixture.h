#pragma once

#include "App/Application/IPC/IIPCClient.h"
#include "App/Application/IPC/IPCManager.h"
#include "Platform/IO/IDataChannel.h"
#include "Platform/Native/ProcessHandle.h"
#include "common/WaitUntil.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace Talvex::Test {

// The master's client: keeps the channel and closes the slave's handle when it goes.
class MasterClient : public App::IIPCClient {
public:
    ~MasterClient() override { Native::CloseHandle(handle); }
    void SetCommunicationChannel(boost::intrusive_ptr<Core::IDataChannel> newChannel) override
    {
        channel = newChannel;
        channelBeforeHandle = handle == 0;
    }
    void SetAppHandler(long long newHandle) override { handle = newHandle; }
    void ChannelClosed() override { channel.reset(); }

    // Everything the slave sends until it closes its end.
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

class IPCTest : public ::testing::Test {
protected:
    void TearDown() override { App::IPCManager::SetPipeIdGenerator({}); }

    bool Launch(const QString& arguments, const QString& path = QStringLiteral("IPCHelper"))
    {
        return App::IPCManager::LaunchSlave(client, path, arguments, false);
    }

    // What a helper recorded in `name`, once it has (bounded wait).
    QByteArray Recorded(const QString& name)
    {
        const QString path = scratch.filePath(name);
        WaitUntil([&] { return QFileInfo::exists(path); }, 15000);
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(nothing recorded)");
    }

    MasterClient client;
    QTemporaryDir scratch;
};

} // namespace Talvex::Test
