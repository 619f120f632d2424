#include "Platform/Native/LockFile.h"
#include "Platform/Native/NamedMutex.h"
#include "Platform/Util/AppMutexLocker.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <signal.h>

using Talvex::Native::NamedMutex;

namespace {

const std::string installer = "{2A662D1A-83CB-406E-BC7A-A5E8644DC1D4}";

bool IsFree(const std::vector<std::string>& names)
{
    return Talvex::Util::AppMutexLocker(names).TryLockAppMutex();
}

class AppMutexAcrossProcesses : public ::testing::Test {
protected:
    // Starts a second process holding the installer's name and waits until it does.
    void StartHolder()
    {
        holder.start(QStringLiteral(TALVEX_HELPER), {QString::fromStdString(installer)});
        ASSERT_TRUE(holder.waitForReadyRead(10000) && holder.readLine().trimmed() == "ready");
    }

    void KillHolder()
    {
        ::kill(static_cast<pid_t>(holder.processId()), SIGKILL);
        ASSERT_TRUE(holder.waitForFinished(10000));
    }

    QProcess holder; // killed with the fixture if a test leaves it running
};

} // namespace

TEST_F(AppMutexAcrossProcesses, AnotherHolderBlocksTheProbeUntilItIsKilled)
{
    EXPECT_TRUE(IsFree({installer}));
    StartHolder();
    EXPECT_FALSE(IsFree({installer}));
    EXPECT_FALSE(IsFree({"{6F1B0C3E-0000-4000-8000-000000000001}", installer})) << "any held name counts";
    KillHolder();
    EXPECT_TRUE(IsFree({installer}));
}

TEST_F(AppMutexAcrossProcesses, NameStaysHeldWhileAnyHolderLives)
{
    StartHolder();
    const auto second = NamedMutex::Create(installer);
    ASSERT_NE(second, nullptr) << "several holders share one name";
    KillHolder();
    EXPECT_FALSE(IsFree({installer}));
}

TEST_F(AppMutexAcrossProcesses, ProbeHoldsTheNamesOnlyWhileTheLockerLivesAndNamesAreMadeSafe)
{
    {
        Talvex::Util::AppMutexLocker locker({installer});
        ASSERT_TRUE(locker.TryLockAppMutex());
        EXPECT_EQ(NamedMutex::Create(installer), nullptr);
        EXPECT_TRUE(locker.TryLockAppMutex()) << "probing again must not trip over its own lock";
    }
    EXPECT_NE(NamedMutex::Create(installer), nullptr);

    const auto slashed = NamedMutex::Create("Global/Talvex");
    ASSERT_NE(slashed, nullptr);
    EXPECT_TRUE(QFileInfo::exists(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
                                  QStringLiteral("/Global_Talvex.lock")));
}

// A probe that opened the lock file just before it was removed, while a new holder
// created the file anew, must lock the file at the path, not the orphan it opened.
TEST_F(AppMutexAcrossProcesses, AProbeOfARemovedLockFileLooksAtTheFileNowAtThePath)
{
    const auto file = Talvex::Native::LockFile::Open(installer);
    ASSERT_TRUE(file);
    ASSERT_TRUE(QFile::remove(Talvex::Native::LockFile::PathFor(installer)));
    StartHolder();
    EXPECT_FALSE(file->TryLockExclusive()) << "the orphaned file hid the running holder";
    KillHolder();
    EXPECT_TRUE(file->TryLockExclusive());
}

TEST_F(AppMutexAcrossProcesses, ALockFilePlantedAsALinkIsRefused)
{
    const QString path = Talvex::Native::LockFile::PathFor("planted");
    const QString target = QFileInfo(path).path() + QStringLiteral("/../elsewhere.lock");
    ASSERT_TRUE(QFile(target).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link(target, path));
    EXPECT_FALSE(Talvex::Native::LockFile::Open("planted", true));
}
