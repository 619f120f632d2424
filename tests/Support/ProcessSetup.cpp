#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

// The steps run once per process, before or instead of the application object, so
// each case runs in a fresh helper process; answers what it printed.
QString RunHelper(const QStringList& arguments,
                  const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess helper;
    helper.setProcessEnvironment(environment);
    helper.start(QStringLiteral(TALVEX_HELPER), arguments);
    const bool ok = helper.waitForFinished(30000) && helper.exitCode() == 0;
    return ok ? QString::fromUtf8(helper.readAllStandardOutput()) : QStringLiteral("<helper failed>");
}

} // namespace

TEST(HighDpiPolicy, OnlyTheExactNoScaleValueKeepsQtScalingOff)
{
    EXPECT_EQ(RunHelper({"dpi"}), "scaling=1\n") << "unset";
    EXPECT_EQ(RunHelper({"dpi", "NOSCALE"}), "scaling=0\n");
    for (const char* policy : {"noscale", "NOSCALE ", ""}) {
        EXPECT_EQ(RunHelper({"dpi", policy}), "scaling=1\n") << policy;
    }
}

TEST(GlogSetup, FreshProcessLogsUnderTheProductCodeNameInTheUserDataFolder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("GLOG_PRODUCT_NAME"), QStringLiteral("clipforge"));
    environment.insert(QStringLiteral("GLOG_v"), QStringLiteral("2"));
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/Talvex/clipforge/Logs");

    // The helper sets glog up twice; a second set-up must not initialise it again.
    EXPECT_EQ(RunHelper({QStringLiteral("glog")}, environment), "v=2\nlog_dir=" + folder + "\n");
    EXPECT_TRUE(RunHelper({QStringLiteral("glog"), QStringLiteral("--v=5")}, environment).startsWith("v=5\n"))
        << "arguments win over the environment";
    EXPECT_FALSE(QDir(folder).entryList({QStringLiteral("clipforge.*INFO*")}, QDir::Files).isEmpty());
}
