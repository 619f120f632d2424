#include "Platform/Logging/InitGlog.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <glog/logging.h>
#include <gtest/gtest.h>

namespace {

struct HelperRun {
    int exitCode = -1;
    QString output;
};

HelperRun RunHelper(const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess helper;
    helper.setProcessEnvironment(environment);
    helper.start(QStringLiteral(TALVEX_HELPER), arguments);
    if (!helper.waitForFinished(30000)) {
        helper.kill();
        helper.waitForFinished();
        return {};
    }
    return {helper.exitCode(), QString::fromUtf8(helper.readAllStandardOutput())};
}

struct DpiCase {
    const char* name;
    const char* policy; // null: the variable is not set at all
    const char* expected;
};

class HighDpiPolicy : public ::testing::TestWithParam<DpiCase> {};

} // namespace

// The attribute is process-wide and counts only before the application object exists,
// so each case runs in a fresh helper process.
TEST_P(HighDpiPolicy, OnlyTheExactNoScaleValueKeepsQtScalingOff)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("TALVEX_DPI_POLICY"));
    environment.remove(QStringLiteral("QT_ENABLE_HIGHDPI_SCALING"));
    if (GetParam().policy) {
        environment.insert(QStringLiteral("TALVEX_DPI_POLICY"), QString::fromLatin1(GetParam().policy));
    }

    const HelperRun run = RunHelper({QStringLiteral("dpi")}, environment);

    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output.trimmed().toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Policies, HighDpiPolicy,
                         ::testing::Values(DpiCase{"Unset", nullptr, "scaling=1"},
                                           DpiCase{"NoScale", "NOSCALE", "scaling=0"},
                                           DpiCase{"LowerCase", "noscale", "scaling=1"},
                                           DpiCase{"TrailingSpace", "NOSCALE ", "scaling=1"},
                                           DpiCase{"Empty", "", "scaling=1"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GlogSetup, FreshProcessLogsUnderTheProductCodeNameInTheUserDataFolder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("GLOG_PRODUCT_NAME"), QStringLiteral("clipforge"));
    environment.insert(QStringLiteral("GLOG_v"), QStringLiteral("2"));
    environment.remove(QStringLiteral("GLOG_log_dir"));

    const HelperRun fromEnvironment = RunHelper({QStringLiteral("glog")}, environment);
    const HelperRun withArguments = RunHelper({QStringLiteral("glog"), QStringLiteral("--v=5")}, environment);

    ASSERT_EQ(fromEnvironment.exitCode, 0) << "a second set-up must not initialise glog again";
    EXPECT_TRUE(fromEnvironment.output.contains(QStringLiteral("v=2\n")));
    EXPECT_TRUE(withArguments.output.contains(QStringLiteral("v=5\n"))) << "arguments win over the environment";

    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/Talvex/clipforge/Logs");
    EXPECT_TRUE(fromEnvironment.output.contains(QStringLiteral("log_dir=") + folder));
    const QStringList logs = QDir(folder).entryList({QStringLiteral("clipforge.*INFO*")}, QDir::Files);
    ASSERT_FALSE(logs.isEmpty());
    QFile log(QDir(folder).filePath(logs.first()));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("support helper was here"));
}

TEST(GlogSetup, ProcessThatAlreadyInitialisedGlogOnlyGetsTheSettings)
{
    const int verbosity = FLAGS_v;

    Talvex::App::InitGlog("--v=3");

    EXPECT_EQ(FLAGS_v, 3);
    EXPECT_TRUE(VLOG_IS_ON(3));
    FLAGS_v = verbosity;
}
