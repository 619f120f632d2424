#include "SingleInstanceFixture.h"

#include "common/SwaySession.h"

using Talvex::Test::SingleInstanceTest;
using Talvex::Test::SwaySession;
using Talvex::Test::WaitUntil;

namespace {

// The launcher: a focused window that asks the compositor for a token on the user's
// behalf, as a file manager does when a file is opened.
class Launcher {
public:
    explicit Launcher(SwaySession& sway)
    {
        process.setProcessEnvironment(sway.ClientEnvironment());
        process.start(QStringLiteral(TALVEX_WINDOW_HELPER), {QStringLiteral("window"), QStringLiteral("launcher")});
    }
    ~Launcher()
    {
        process.write("quit\n");
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    long long Pid() const { return process.processId(); }
    QByteArray Ask(const QByteArray& line)
    {
        if (!line.isEmpty()) {
            process.write(line + '\n');
        }
        WaitUntil([&] { return process.canReadLine(); }, 10000);
        return process.readLine().trimmed();
    }

private:
    QProcess process;
};

} // namespace

TEST_F(SingleInstanceTest, OnWaylandTheLaunchersTokenBringsTheRunningWindowForwardAndNoTokenLeavesTheFocus)
{
    SwaySession sway;
    if (!sway.Problem().isEmpty()) {
        GTEST_SKIP() << "skipped: " << sway.Problem().toStdString();
    }
    QProcessEnvironment environment = sway.ClientEnvironment();
    environment.insert(QStringLiteral("TALVEX_HELPER_WINDOW"), QStringLiteral("1"));
    QProcess* running = Start(QStringLiteral("launch"), code, {}, environment);
    ASSERT_EQ(RoleOf(running), "running");
    ASSERT_TRUE(sway.WaitForFocus(running->processId()));
    Launcher launcher(sway);
    ASSERT_EQ(launcher.Ask(QByteArray()), "ready");
    ASSERT_TRUE(sway.WaitForFocus(launcher.Pid()));

    EXPECT_EQ(RoleOf(Start(QStringLiteral("launch"), code, {QStringLiteral("terminal.mkv")}, environment)),
              "handed-over");
    WaitForLines("received", 1);
    WaitUntil([] { return false; }, 500);
    EXPECT_EQ(sway.FocusedPid(), launcher.Pid()) << "a launch without a token took the focus";

    ASSERT_TRUE(sway.Type(QStringLiteral("x"))) << "the launcher needs the user's input to ask for a token";
    const QByteArray token = launcher.Ask("token");
    ASSERT_TRUE(token.startsWith("token=") && token.size() > 6) << token.constData();
    QProcessEnvironment launch = environment;
    launch.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), QString::fromUtf8(token.mid(6)));
    EXPECT_EQ(RoleOf(Start(QStringLiteral("launch"), code, {QStringLiteral("clip.mkv")}, launch)), "handed-over");
    EXPECT_TRUE(sway.WaitForFocus(running->processId()))
        << "the focus stayed with " << sway.FocusedAppId().toStdString();
    EXPECT_EQ(WaitForLines("received", 2).size(), 2);
}
