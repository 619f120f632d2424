#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

// Master and slave run on an X server of their own; the master reads the input focus
// back from the server after the hand-back.
TEST(IPCX11HandBack, MastersWindowHoldsTheInputFocusAfterTheSlaveHandsItBack)
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
               QStringLiteral(TALVEX_HELPER), QStringLiteral("xmaster")});
    ASSERT_TRUE(run.waitForFinished(50000));
    const QByteArray output = run.readAllStandardOutput();
    if (!output.contains("x-ready")) {
        GTEST_SKIP() << "skipped: no X server could be started: " << run.readAllStandardError().constData();
    }
    EXPECT_EQ(run.exitCode(), 0) << output.constData();
    EXPECT_TRUE(output.contains("focus=back")) << output.constData();
}
