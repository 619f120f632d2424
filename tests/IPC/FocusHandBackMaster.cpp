#include "App/Application/IPC/IPCFocusTransfererMaster.h"
#include "Platform/Core/RefCountImpl.h"
#include "common/LogCapture.h"

#include <QRasterWindow>

#include <gtest/gtest.h>

using Talvex::App::IPCFocusTransfererMaster;

namespace {

// Records what the master writes; it never reads.
class RecordingChannel : public Talvex::RefCounted<Talvex::Core::IDataChannel> {
public:
    void Write(const void* data, std::size_t size) override { written.append(static_cast<const char*>(data), size); }
    std::size_t GetWaitingInputSize() override { return 0; }
    std::size_t Read(void*, std::size_t) override { return 0; }
    void SetTimeout(int) override {}
    std::string written;
};

class MasterAnswer : public ::testing::Test {
protected:
    RecordingChannel channel;
    QRasterWindow window;
};

} // namespace

// Off Wayland the reply is exactly the one a master written by hand sends.
TEST_F(MasterAnswer, ClosingSlaveGetsYesWithTheWindowIdAndNothingMore)
{
    window.show();
    IPCFocusTransfererMaster master(&window);
    EXPECT_TRUE(master.HandleMessage("applicationClosed", channel));
    EXPECT_EQ(channel.written, "yes=" + std::to_string(window.winId()));
    EXPECT_FALSE(master.AwaitsToken());
}

TEST_F(MasterAnswer, WithoutAWindowOrOnceItIsGoneTheSlaveGetsNo)
{
    IPCFocusTransfererMaster master;
    EXPECT_TRUE(master.HandleMessage("applicationClosed", channel));
    auto* gone = new QRasterWindow;
    master.SetWindow(gone);
    delete gone;
    EXPECT_TRUE(master.HandleMessage("applicationClosed", channel));
    EXPECT_EQ(channel.written, "nono");
}

TEST_F(MasterAnswer, ProductsOwnMessagesAndUnaskedTokensAreLeftToTheProduct)
{
    IPCFocusTransfererMaster master(&window);
    Talvex::Test::LogCapture log;
    for (const char* message : {"applicationClosedTwice", "progress=50", "activationToken=abc", ""}) {
        EXPECT_FALSE(master.HandleMessage(message, channel)) << message;
    }
    EXPECT_EQ(channel.written, "");
    EXPECT_TRUE(log.Entries().empty());
}
