#include "IPCFixture.h"
#include "common/LogCapture.h"

#include "Platform/IO/DataInputPipe.h"
#include "Platform/IO/DataOutputPipe.h"
#include "Platform/Util/TextConversion.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include <vector>

using Talvex::App::IPCManager;
using Talvex::Test::IPCTest;

namespace {

class IPCSlaveLaunch : public IPCTest, public ::testing::WithParamInterface<const char*> {};

} // namespace

TEST_P(IPCSlaveLaunch, SlaveSeesItsSwitchesJoinsThePipesAndGetsTheMastersHandle)
{
    // From the folder above, a relative path does not also name a file beside the application.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QCoreApplication::applicationDirPath() + QStringLiteral("/..")));
    Talvex::Test::LogCapture log;
    const bool launched = Launch(QStringLiteral("report"), QString::fromUtf8(GetParam()));
    QDir::setCurrent(before);
    ASSERT_TRUE(launched);
    EXPECT_TRUE(log.Entries().empty()) << "the session's runtime folder is no news: " << log.Entries().front().message;
    EXPECT_TRUE(client.channelBeforeHandle) << "the channel is handed over before the slave starts";
    EXPECT_GT(Talvex::Native::ProcessIdOf(client.handle), 0);

    const QList<QByteArray> report = client.ReadToEnd().split('\n');
    ASSERT_EQ(report.size(), 3);
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QRegularExpression switches(QStringLiteral("^report\\|/MasterPipeId=(\\d+)\\|/ProcessId=%1$").arg(pid));
    const QRegularExpressionMatch match = switches.match(QString::fromUtf8(report[0]));
    EXPECT_TRUE(match.hasMatch()) << report[0].constData();
    EXPECT_LE(match.captured(1).toInt(), 32767);
    EXPECT_EQ(report[1], QCoreApplication::applicationDirPath().toUtf8()) << "runs in its own folder";
    EXPECT_EQ(report[2], pid.toUtf8()) << "holds a handle to this process";
}

INSTANTIATE_TEST_SUITE_P(ByBareNameAbsoluteAndRelativePath, IPCSlaveLaunch,
                         ::testing::Values("IPCHelper", TALVEX_HELPER, "IPC/IPCHelper"));

TEST_F(IPCTest, TakenNamesMakeANewIdBeDrawnAndAreLeftAlone)
{
    QFile foreign(IPCManager::OutputPipeName(QStringLiteral("7")));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly) && foreign.write("foreign") == 7);
    foreign.close();
    const QString target = scratch.filePath(QStringLiteral("target"));
    ASSERT_TRUE(QFile::link(target, IPCManager::InputPipeName(QStringLiteral("8"))));
    const std::vector<int> ids = {7, 8, 9};
    std::size_t next = 0;
    IPCManager::SetPipeIdGenerator([&] { return ids.at(next++); });

    ASSERT_TRUE(Launch(QStringLiteral("report")));
    EXPECT_TRUE(client.ReadToEnd().contains("|/MasterPipeId=9|"));
    ASSERT_TRUE(foreign.open(QIODevice::ReadOnly));
    EXPECT_EQ(foreign.readAll(), "foreign");
    EXPECT_FALSE(QFileInfo::exists(target)) << "the planted link was not followed";

    IPCManager::SetPipeIdGenerator({});
    Talvex::Test::MasterClient failed;
    EXPECT_FALSE(IPCManager::LaunchSlave(failed, QStringLiteral("no-such-helper"), QString(), false));
    EXPECT_NE(failed.channel, nullptr) << "a failed start leaves the client its channel";
}

TEST_F(IPCTest, SlaveSetUpTakesTheLastOfEachSwitchAndNeedsBoth)
{
    const QString id = QStringLiteral("123");
    const auto write =
        Talvex::Core::DataOutputPipe::Create(Talvex::Util::QStringToUtf8(IPCManager::InputPipeName(id)), true);
    const auto read =
        Talvex::Core::DataInputPipe::Create(Talvex::Util::QStringToUtf8(IPCManager::OutputPipeName(id)), true);
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const std::vector<std::pair<QStringList, QByteArray>> cases = {
        {{"/MasterPipeId=", "/ProcessId=" + pid}, "result=0 master=0"},
        {{"/MasterPipeId=123", "/ProcessId=abc"}, "result=0 master=0"},
        {{"/MasterPipeId=123", "/ProcessId=" + pid, "/MasterPipeId="}, "result=0 master=0"},
        {{"/MasterPipeId=124", "/ProcessId=" + pid}, "result=0 master=0"},
        {{"/MasterPipeId=", "/MasterPipeId=123", "/ProcessId=1", "/ProcessId=" + pid},
         "result=1 master=" + pid.toUtf8()},
    };
    for (const auto& [switches, expected] : cases) {
        QProcess slave;
        slave.start(QStringLiteral(TALVEX_HELPER), QStringList{QStringLiteral("report")} + switches);
        ASSERT_TRUE(slave.waitForFinished(15000));
        EXPECT_EQ(slave.readAllStandardOutput().trimmed(), expected) << qPrintable(switches.join(' '));
    }
    char report[7] = {};
    EXPECT_EQ(read->Read(report, 7), 7u) << "the slave writes the output pattern";
    EXPECT_EQ(QByteArray(report, 7), "report|");
}
