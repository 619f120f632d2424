#include "IPCFixture.h"

#include <QProcess>
#include <QStandardPaths>

#include <poll.h>

#include <string>

using Talvex::Test::IPCTest;

namespace {

struct Reply {
    std::string sent;
    const char* activated;
    friend void PrintTo(const Reply& reply, std::ostream* out)
    {
        *out << QByteArray::fromStdString(reply.sent).replace('\0', "\\0").constData();
    }
};

class IPCFocusHandBack : public IPCTest, public ::testing::WithParamInterface<Reply> {
protected:
    // Launches a hand-back slave and checks the one message it sends.
    void ExpectCloseMessage(const QString& extra = QString())
    {
        ASSERT_TRUE(Launch(QStringLiteral("handback ") + scratch.filePath(QStringLiteral("report")) + extra));
        client.channel->SetTimeout(15000);
        char message[17];
        ASSERT_EQ(client.channel->Read(message, sizeof(message)), sizeof(message));
        EXPECT_EQ(QByteArray(message, sizeof(message)), "applicationClosed");
    }
};

} // namespace

TEST_P(IPCFocusHandBack, ReplyDecidesTheWindowAndOneHandBackEndsTheWatch)
{
    ExpectCloseMessage();
    client.channel->Write(GetParam().sent.data(), GetParam().sent.size());
    EXPECT_EQ(Recorded(QStringLiteral("report")), QByteArray("activated=") + GetParam().activated + "\nconnected=0\n");
    EXPECT_EQ(client.ReadToEnd(), "") << "the second hand-back sends nothing";
}

INSTANTIATE_TEST_SUITE_P(Replies, IPCFocusHandBack,
                         ::testing::Values(Reply{"yes=4242", "4242,"}, Reply{"yes=0", "0,"},
                                           Reply{std::string("yes=77\0", 7), "77,"}, Reply{"yes", ""},
                                           Reply{"no", ""}));

TEST_F(IPCFocusHandBack, SilentMasterDoesNotHoldTheSlave)
{
    ExpectCloseMessage(QStringLiteral(" 300"));
    EXPECT_EQ(Recorded(QStringLiteral("report")), "activated=\nconnected=0\n");
}

TEST_F(IPCTest, NullMasterHandleEndsTheWatchSoonAfter)
{
    ASSERT_TRUE(Launch(QStringLiteral("nullhandle ") + scratch.filePath(QStringLiteral("watch"))));
    EXPECT_EQ(Recorded(QStringLiteral("watch")), "disconnected\n");
}

TEST_F(IPCTest, SlaveThatNeverHandsBackStillExitsWhileItsMasterLives)
{
    ASSERT_TRUE(Launch(QStringLiteral("quit")));
    pollfd exited{static_cast<int>(client.handle), POLLIN, 0};
    EXPECT_EQ(::poll(&exited, 1, 15000), 1) << "the watch on a live master must not hold the slave's exit";
}

// Master and slave run on an X server of their own; the master reads the input focus
// back from the server after the hand-back. The master answers by hand or through the
// library's master side.
class IPCX11HandBack : public ::testing::TestWithParam<const char*> {};

TEST_P(IPCX11HandBack, MastersWindowHoldsTheInputFocusAfterTheSlaveHandsItBack)
{
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    if (xvfbRun.isEmpty()) {
        GTEST_SKIP() << "skipped: xvfb-run is not installed, so no X server can be started";
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QProcess run;
    run.setProcessEnvironment(environment);
    run.start(xvfbRun,
              {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 640x480x24 -nolisten tcp"),
               QStringLiteral(TALVEX_HELPER), QString::fromLatin1(GetParam())});
    ASSERT_TRUE(run.waitForFinished(50000));
    const QByteArray output = run.readAllStandardOutput();
    if (!output.contains("x-ready")) {
        GTEST_SKIP() << "skipped: no X server could be started: " << run.readAllStandardError().constData();
    }
    EXPECT_EQ(run.exitCode(), 0) << output.constData();
    EXPECT_TRUE(output.contains("focus=back")) << output.constData();
}

INSTANTIATE_TEST_SUITE_P(Masters, IPCX11HandBack, ::testing::Values("xmaster", "xmaster-library"));
