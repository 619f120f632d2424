// The installer check against an installer that holds its mutex, lets go, or dies.
#include "Soak.h"

#include "App/Application/Application.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace Talvex::Test;

TEST(InstallerMutexRounds, TheCheckAnswersRightWhetherTheInstallerHoldsReleasesOrIsKilled)
{
    const QString installer = QStringLiteral("{2A662D1A-83CB-406E-BC7A-A5E8644DC1D4}");
    int wrong = 0;
    const int rounds = (Instrumented() ? 30 : 200) * SoakFactor();
    for (int round = 0; round < rounds; ++round) {
        QProcess holder;
        holder.start(QStringLiteral(TALVEX_MUTEX_HELPER), {installer});
        ASSERT_TRUE(holder.waitForReadyRead(15000) && holder.readLine().trimmed() == "ready");
        bool expected = true;
        switch (round % 3) {
        case 1:
            holder.closeWriteChannel();
            ASSERT_TRUE(holder.waitForFinished(15000));
            expected = false;
            break;
        case 2:
            holder.kill();
            ASSERT_TRUE(holder.waitForFinished(15000));
            expected = false;
            break;
        default:
            break;
        }
        wrong += Talvex::App::Application::CheckRunnedInstaller() == expected ? 0 : 1;
        holder.kill();
        holder.waitForFinished(15000);
    }
    std::printf("%d rounds, %d wrong answers\n", rounds, wrong);
    EXPECT_EQ(wrong, 0);
}
