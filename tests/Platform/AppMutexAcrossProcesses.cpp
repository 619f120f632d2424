#include "Platform/Native/NamedMutex.h"
#include "Platform/Util/AppMutexLocker.h"

#include "common/LogCapture.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <csignal>

#include <signal.h>

using Talvex::Native::NamedMutex;
using Talvex::Util::AppMutexLocker;

namespace {

bool IsFree(const std::vector<std::string>& names)
{
    AppMutexLocker locker(names);
    return locker.TryLockAppMutex();
}

class AppMutexAcrossProcesses : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (holder.state() != QProcess::NotRunning) {
            holder.kill();
            holder.waitForFinished(5000);
        }
    }

    // Starts a second process holding `name` and waits until it says it does.
    void StartHolder(const std::string& name)
    {
        holder.start(QStringLiteral(TALVEX_HELPER), {QStringLiteral("hold-mutex"), QString::fromStdString(name)});
        ASSERT_TRUE(holder.waitForStarted(10000));
        while (!holder.canReadLine()) {
            ASSERT_TRUE(holder.waitForReadyRead(10000)) << "helper said nothing";
        }
        ASSERT_EQ(holder.readLine().trimmed(), "ready");
    }

    QProcess holder;
};

const std::string installerName = "{2A662D1A-83CB-406E-BC7A-A5E8644DC1D4}";

} // namespace

TEST_F(AppMutexAcrossProcesses, AnotherHolderBlocksTheProbeUntilItIsKilled)
{
    EXPECT_TRUE(IsFree({installerName}));

    StartHolder(installerName);
    EXPECT_FALSE(IsFree({installerName}));
    EXPECT_FALSE(IsFree({"{6F1B0C3E-0000-4000-8000-000000000001}", installerName})) << "any held name counts";

    ::kill(static_cast<pid_t>(holder.processId()), SIGKILL);
    ASSERT_TRUE(holder.waitForFinished(10000));
    EXPECT_TRUE(IsFree({installerName}));
}

TEST_F(AppMutexAcrossProcesses, HolderThatEndsNormallyReleasesTheName)
{
    StartHolder(installerName);
    EXPECT_FALSE(IsFree({installerName}));
    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(10000));
    EXPECT_EQ(holder.exitCode(), 0);
    EXPECT_TRUE(IsFree({installerName}));
}

TEST_F(AppMutexAcrossProcesses, ProbeHoldsTheNamesUntilTheLockerGoes)
{
    {
        AppMutexLocker locker({installerName});
        ASSERT_TRUE(locker.TryLockAppMutex());
        EXPECT_EQ(NamedMutex::Create(installerName), nullptr) << "nobody may take it while the probe holds it";
        EXPECT_TRUE(locker.TryLockAppMutex()) << "probing again must not trip over its own lock";
    }
    const auto mutex = NamedMutex::Create(installerName);
    EXPECT_NE(mutex, nullptr);
    EXPECT_FALSE(IsFree({installerName}));
}

TEST_F(AppMutexAcrossProcesses, SeveralHoldersShareOneName)
{
    StartHolder(installerName);
    const auto second = NamedMutex::Create(installerName);
    ASSERT_NE(second, nullptr);
    ::kill(static_cast<pid_t>(holder.processId()), SIGKILL);
    ASSERT_TRUE(holder.waitForFinished(10000));
    EXPECT_FALSE(IsFree({installerName})) << "the remaining holder still counts";
}

TEST_F(AppMutexAcrossProcesses, NamesAreMadeSafeAndUnusableNamesCountAsFree)
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const auto slashed = NamedMutex::Create("Global/Talvex");
    ASSERT_NE(slashed, nullptr);
    EXPECT_TRUE(QFileInfo::exists(runtime + QStringLiteral("/Global_Talvex.lock")));

    Talvex::Test::LogCapture log;
    const std::string tooLong(400, 'x');
    EXPECT_EQ(NamedMutex::Create(tooLong), nullptr);
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "Cannot open lock file"));
    log.Clear();
    EXPECT_TRUE(IsFree({tooLong}));
    EXPECT_FALSE(log.Contains(google::GLOG_ERROR, "")) << "a probe is an ordinary question, not an error";
}
