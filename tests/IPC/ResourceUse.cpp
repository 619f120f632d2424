#include "IPCFixture.h"

#include <QDir>

using Talvex::Test::IPCTest;
using Talvex::Test::MasterClient;

namespace {

int Entries(const char* folder)
{
    return QDir(QString::fromLatin1(folder)).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
}

void HandBackCycle()
{
    MasterClient master;
    ASSERT_TRUE(
        Talvex::App::IPCManager::LaunchSlave(master, QStringLiteral("IPCHelper"), QStringLiteral("handback -"), false));
    master.channel->SetTimeout(15000);
    char message[17];
    ASSERT_EQ(master.channel->Read(message, sizeof(message)), sizeof(message));
    master.channel->Write("no", 2);
    ASSERT_EQ(master.ReadToEnd(), "");
}

} // namespace

TEST_F(IPCTest, TwoHundredLaunchAndHandBackCyclesLeakNeitherDescriptorsNorThreads)
{
    HandBackCycle();
    const int descriptors = Entries("/proc/self/fd");
    const int threads = Entries("/proc/self/task");
    for (int i = 0; i < 200 && !HasFatalFailure(); ++i) {
        HandBackCycle();
    }
    EXPECT_EQ(Entries("/proc/self/fd"), descriptors);
    EXPECT_EQ(Entries("/proc/self/task"), threads);
}
