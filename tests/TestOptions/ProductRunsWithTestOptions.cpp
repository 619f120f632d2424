// The real application in a child process (the helper product) run with test options.
#include "HelperProduct.h"

#include "Platform/Links/URLKeys.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

#include <gmock/gmock.h>

#include <csignal>

namespace Talvex::Test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

TEST_F(TestOptionsInAProduct, UrlLogReceivesEveryLinkTheProductOpensAndTheListedAddressesAndNoBrowserStarts)
{
    ExpectNormalEnd(Launch({QStringLiteral("--test-urls-log"), QStringLiteral("--test-list-urls"),
                            QStringLiteral("--test-open-urls"), OutputOption()}));
    const auto opened = Lines(Read(Output("urls.log")));
    EXPECT_THAT(opened, Contains(HasSubstr("/thank-you/options-helper/?version=2.5")));
    EXPECT_THAT(opened, Contains("https://product.example/from-helper"));
    const QJsonObject table = QJsonDocument::fromJson(Read(QStringLiteral(TALVEX_LINKS_TABLE))).object();
    const auto listed = Lines(Read(Output("product-urls.txt")));
    ASSERT_EQ(listed.size(), static_cast<size_t>(table.size()));
    for (const std::string& line : listed) {
        const QStringList fields = QString::fromStdString(line).split(QLatin1Char('\t'));
        ASSERT_EQ(fields.size(), 3) << line;
        EXPECT_STREQ(URLKeyName(static_cast<URLKeys>(fields[0].toInt())), qPrintable(fields[1]));
        EXPECT_TRUE(table.contains(fields[1]) && fields[2].startsWith(QLatin1String("https://"))) << line;
        EXPECT_THAT(opened, Contains(fields[2].toStdString()));
    }

    ExpectNormalEnd(Launch({QStringLiteral("--test-urls-log=second/links.txt"), OutputOption()}));
    EXPECT_THAT(Lines(Read(Output("second/links.txt"))), Contains("https://product.example/from-helper"));
    EXPECT_FALSE(QFile::exists(BrowserTrace()));
}

TEST_F(TestOptionsInAProduct, TestLocaleWinsOverTheStoredLanguageAndProductOptionsReachTheProduct)
{
    QSettings(Store(), QSettings::IniFormat).setValue(QStringLiteral("Language"), QStringLiteral("ru_RU"));
    EXPECT_EQ(Launch({}).Reported("locale "), "ru_RU");

    const ProductOutput run = Launch({QStringLiteral("--test-locale=de_DE"), QStringLiteral("--helper-label=tour")});
    EXPECT_EQ(run.Reported("locale "), "de_DE");
    EXPECT_EQ(run.Reported("qlocale "), "de_DE");
    EXPECT_EQ(run.Reported("label "), "tour");

    const ProductOutput unshipped = Launch({QStringLiteral("--test-locale=xx_XX")});
    EXPECT_THAT(unshipped.err.toStdString(), HasSubstr("--test-locale=xx_XX is not a shipped language"));
}

TEST_F(TestOptionsInAProduct, StartDelayPostponesApplicationStartedWhileTheEventLoopRuns)
{
    const ProductOutput run = Launch({QStringLiteral("--test-start-delay=300")});
    ExpectNormalEnd(run);
    const QStringList started = QString::fromStdString(run.Reported("started ")).split(QLatin1Char(' '));
    ASSERT_EQ(started.size(), 2);
    EXPECT_GE(started[0].toInt(), 300);
    EXPECT_EQ(started[1].toStdString(), "loop=1") << "the event loop ran before";
}

TEST_F(TestOptionsInAProduct, CrashTimeoutAbortsWithTheGuiThreadsStackAndTheNextStartReportsTheSession)
{
    const ProductOutput crashed = Launch({QStringLiteral("--test-crash-timeout=1"), QStringLiteral("run")});
    EXPECT_EQ(crashed.status, QProcess::CrashExit);
    EXPECT_EQ(crashed.code, SIGABRT);
    const std::string log = ProductLogs().toStdString();
    EXPECT_THAT(log, HasSubstr("Crash time-out of 1.000 s reached; aborting. Call stack of the GUI thread:\n#0 "));
    EXPECT_THAT(log, HasSubstr("QEventLoop::exec"));

    const std::string session = crashed.Reported("session ");
    EXPECT_THAT(Lines(Launch({}).out), Contains("crashed " + session));
}

TEST_F(TestOptionsInAProduct, QuitBeforeTheTimeoutHelpAndMalformedValuesEndNormallyAndLeaveNoCrash)
{
    const ProductOutput malformed =
        Launch({QStringLiteral("--test-crash-timeout=30"), QStringLiteral("--test-start-delay=soon"),
                QStringLiteral("--test-urls-log="), QStringLiteral("--test-locale")});
    ExpectNormalEnd(malformed);
    // Read before logging was set up, reported into the product's log once it is.
    const std::string log = ProductLogs().toStdString();
    for (const char* option : {"--test-start-delay=\"soon\"", "--test-urls-log=\"\"", "--test-locale needs a value"}) {
        EXPECT_THAT(log, HasSubstr(option));
    }

    const ProductOutput help = Launch({QStringLiteral("--test-help"), QStringLiteral("--test-crash-timeout=30")});
    ExpectNormalEnd(help);
    EXPECT_THAT(help.out.toStdString(), HasSubstr("\n  --test-crash-timeout=SECONDS "));
    EXPECT_THAT(help.out.toStdString(), HasSubstr("\n  --helper-label=TEXT "));
    EXPECT_EQ(help.Reported("started "), "(not reported)");

    EXPECT_THAT(Lines(Launch({}).out), Not(Contains(HasSubstr("crashed "))));
}

} // namespace
} // namespace Talvex::Test
