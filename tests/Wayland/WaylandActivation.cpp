#include "common/SwaySession.h"
#include "common/WaitUntil.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <memory>

using Talvex::Test::SwaySession;

namespace {

// A window of its own process on the compositor, driven through its standard input.
class Client {
public:
    Client(SwaySession& sway, const QString& appId)
    {
        process.setProcessEnvironment(sway.ClientEnvironment());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(TALVEX_HELPER), {QStringLiteral("window"), appId});
    }
    ~Client()
    {
        Send("quit");
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    long long Pid() const { return process.processId(); }
    void Send(const QByteArray& line) { process.write(line + "\n"); }
    // The next line the client prints (bounded wait).
    QByteArray Line()
    {
        Talvex::Test::WaitUntil([&] { return process.canReadLine() || process.state() == QProcess::NotRunning; },
                                10000);
        return process.readLine().trimmed();
    }

private:
    QProcess process;
};

class WaylandActivation : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!sway.Problem().isEmpty()) {
            GTEST_SKIP() << "skipped: " << sway.Problem().toStdString();
        }
    }
    // A client whose window has come up with the focus.
    std::unique_ptr<Client> FocusedClient(const QString& appId)
    {
        auto client = std::make_unique<Client>(sway, appId);
        EXPECT_EQ(client->Line(), "ready");
        EXPECT_TRUE(sway.WaitForFocus(client->Pid())) << appId.toStdString() << " did not get the focus";
        // The desktop file name the client set is its windows' app id.
        EXPECT_EQ(sway.FocusedAppId(), appId);
        return client;
    }

    SwaySession sway;
};

} // namespace

TEST_F(WaylandActivation, TokenOfTheFocusedWindowBringsAnotherClientsWindowForward)
{
    auto first = FocusedClient(QStringLiteral("talvex.first"));
    auto second = FocusedClient(QStringLiteral("talvex.second"));
    ASSERT_TRUE(sway.Type(QStringLiteral("x")));
    second->Send("token");
    const QByteArray token = second->Line();
    ASSERT_TRUE(token.startsWith("token=") && token.size() > 6) << token.constData();
    first->Send("activate " + token.mid(6));
    EXPECT_EQ(first->Line(), "activating");
    EXPECT_TRUE(sway.WaitForFocus(first->Pid())) << "the focus stayed with " << sway.FocusedAppId().toStdString();
}

TEST_F(WaylandActivation, TokenOfAWindowWithoutTheFocusDoesNotBringAnotherWindowForward)
{
    auto first = FocusedClient(QStringLiteral("talvex.first"));
    ASSERT_TRUE(sway.Type(QStringLiteral("x"))) << "the first client needs an input serial of its own";
    auto second = FocusedClient(QStringLiteral("talvex.second"));
    first->Send("token");
    const QByteArray token = first->Line();
    if (token.size() > 6) {
        first->Send("activate " + token.mid(6));
        first->Line();
    }
    Talvex::Test::WaitUntil([] { return false; }, 500);
    EXPECT_EQ(sway.FocusedPid(), second->Pid()) << "a token without the focus moved it";
}
