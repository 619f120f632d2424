// Masters killed under their slaves: each slave must notice on its own, and quickly.
#include "Soak.h"
#include "common/WaitUntil.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Talvex::Test;

TEST(MasterKills, EverySlaveSeesItsKilledMasterGoneWithinHalfASecond)
{
    QTemporaryDir scratch;
    const int rounds = (Instrumented() ? 40 : 200) * SoakFactor();
    int late = 0;
    qint64 slowest = 0;
    for (int round = 0; round < rounds; ++round) {
        const QString record = scratch.filePath(QStringLiteral("watch%1").arg(round));
        QProcess master;
        master.start(QStringLiteral(TALVEX_IPC_HELPER), {QStringLiteral("master"), record});
        ASSERT_TRUE(master.waitForReadyRead(15000) && master.readLine().startsWith("launched "));
        ASSERT_TRUE(WaitUntil([&] { return QFileInfo::exists(record + QStringLiteral(".up")); }, 15000));
        master.kill();
        QElapsedTimer noticed;
        noticed.start();
        ASSERT_TRUE(WaitUntil([&] { return QFileInfo::exists(record); }, 15000)) << "round " << round;
        const qint64 after = noticed.elapsed();
        slowest = std::max(slowest, after);
        late += after > 500 ? 1 : 0;
        master.waitForFinished(5000);
    }
    std::printf("%d master kills: slowest notice %lld ms, %d later than 500 ms\n", rounds, slowest, late);
    EXPECT_EQ(late, 0);
}
