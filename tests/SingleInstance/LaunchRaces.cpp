#include "SingleInstanceFixture.h"

#include <QElapsedTimer>

#include <csignal>

using Talvex::Test::SingleInstanceTest;
using Talvex::Test::WaitUntil;

namespace {

int CountStarting(const QList<QByteArray>& lines, const QByteArray& start)
{
    return int(
        std::count_if(lines.begin(), lines.end(), [&](const QByteArray& line) { return line.startsWith(start); }));
}

int CountContaining(const QList<QByteArray>& lines, const QByteArray& text)
{
    return int(std::count_if(lines.begin(), lines.end(), [&](const QByteArray& line) { return line.contains(text); }));
}

} // namespace

TEST_F(SingleInstanceTest, TenLaunchesAtOnceMakeOneRunningInstanceThatGetsEveryOtherCommandLineOnce)
{
    for (int i = 0; i < 10; ++i) {
        Launch({QStringLiteral("file-%1.mkv").arg(i)});
    }
    const auto roles = WaitForLines("roles", 10);
    ASSERT_EQ(roles.size(), 10);
    EXPECT_EQ(CountStarting(roles, "running "), 1);
    EXPECT_EQ(CountStarting(roles, "handed-over "), 9);
    const auto received = WaitForLines("received", 9);
    ASSERT_EQ(received.size(), 9);
    for (const QByteArray& role : roles) {
        const QByteArray file = role.mid(role.lastIndexOf(' ') + 1) + ' ';
        EXPECT_EQ(CountContaining(received, file), role.startsWith("running") ? 0 : 1) << file.constData();
    }
    EXPECT_EQ(CountContaining(received, " folder=" + QFile::encodeName(scratch.path()) + ' '), 9)
        << "each launch's working folder travels with it";
}

TEST_F(SingleInstanceTest, KilledRunningInstanceLeavesNothingThatBlocksTheNextLaunch)
{
    QProcess* killed = Launch();
    ASSERT_EQ(RoleOf(killed), "running");
    killed->kill();
    ASSERT_TRUE(killed->waitForFinished(5000));

    QElapsedTimer clock;
    clock.start();
    QProcess* next = Launch({QStringLiteral("after.mkv")});
    EXPECT_EQ(RoleOf(next), "running");
    EXPECT_LT(clock.elapsed(), 1000) << "nothing to wait for";
    EXPECT_EQ(RoleOf(Launch({QStringLiteral("then.mkv")})), "handed-over");
    EXPECT_TRUE(WaitForLines("received", 1).value(0).startsWith("then.mkv "));
}

// Connecting and writing to a stopped process succeed; only its answer tells.
TEST_F(SingleInstanceTest, StoppedInstanceIsLeftBehindAfterASecondAndDoesNotActOnThatLaunchWhenItResumes)
{
    QProcess* stopped = Launch();
    ASSERT_EQ(RoleOf(stopped), "running");
    ::kill(pid_t(stopped->processId()), SIGSTOP);

    QElapsedTimer clock;
    clock.start();
    QProcess* late = Launch({QStringLiteral("late.mkv")});
    const QByteArray role = RoleOf(late);
    const qint64 waited = clock.elapsed();
    ::kill(pid_t(stopped->processId()), SIGCONT);
    EXPECT_EQ(role, "alone") << "it opens late.mkv itself";
    EXPECT_GE(waited, 900);
    EXPECT_LT(waited, 3000);
    EXPECT_TRUE(WaitUntil([&] { return late->readAllStandardError().contains("did not take this launch within"); }));

    EXPECT_EQ(RoleOf(Launch({QStringLiteral("next.mkv")})), "handed-over");
    const auto received = WaitForLines("received", 1);
    ASSERT_EQ(received.size(), 1) << received.join(" / ").constData();
    EXPECT_TRUE(received.at(0).startsWith("next.mkv ")) << "late.mkv was already opened by the launch itself";
}

// The old copy still runs its event loop, shutting down, when the copy starts.
TEST_F(SingleInstanceTest, RestartGivesUpTheClaimSoTheCopyBecomesTheRunningInstance)
{
    QProcess* old = Start(QStringLiteral("restart"), code);
    ASSERT_EQ(RoleOf(old), "running");
    const auto roles = WaitForLines("roles", 2);
    ASSERT_EQ(roles.size(), 2);
    EXPECT_TRUE(roles.at(1).startsWith("running ") && roles.at(1).endsWith(" restarted")) << roles.at(1).constData();
    EXPECT_EQ(old->state(), QProcess::Running) << "the copy came while the old one still shut down";

    EXPECT_EQ(RoleOf(Launch({QStringLiteral("after-restart.mkv")})), "handed-over");
    EXPECT_TRUE(WaitForLines("received", 1).value(0).startsWith("after-restart.mkv"));
}

TEST_F(SingleInstanceTest, SlaveLaunchOfTheProductsOwnProgramIsNeverHandedOver)
{
    ASSERT_EQ(RoleOf(Launch()), "running");
    for (const QString& switches : {QStringLiteral("/MasterPipeId=12"), QStringLiteral("/ProcessId=34")}) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(RoleOf(Launch({QStringLiteral("--helper"), switches})), "alone") << switches.toStdString();
    }
    EXPECT_EQ(RoleOf(Launch({QStringLiteral("user.mkv")})), "handed-over");
    const auto received = WaitForLines("received", 1);
    EXPECT_EQ(received.size(), 1);
    EXPECT_TRUE(received.value(0).startsWith("user.mkv "));
}
