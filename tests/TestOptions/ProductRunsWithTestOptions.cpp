// The real application in a child process (the helper product) run with test options.
#include "Platform/Links/URLKeys.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>

namespace Talvex::Test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::vector<std::string> Lines(const QByteArray& text)
{
    std::vector<std::string> lines;
    for (const QByteArray& line : text.split('\n')) {
        if (!line.isEmpty()) {
            lines.push_back(line.toStdString());
        }
    }
    return lines;
}

struct ProductOutput {
    QByteArray out;
    QByteArray err;
    QProcess::ExitStatus status = QProcess::CrashExit;
    int code = -1;

    // The rest of the helper's line that starts with `prefix`.
    std::string Reported(const std::string& prefix) const
    {
        for (const std::string& line : Lines(out)) {
            if (line.rfind(prefix, 0) == 0) {
                return line.substr(prefix.size());
            }
        }
        return "(not reported)";
    }
};

// A private home for the helper product: resources with the real links table and two
// shipped languages, a settings file, a browser script that leaves a trace if started.
class TestOptionsInAProduct : public ::testing::Test {
protected:
    TestOptionsInAProduct()
    {
        const QDir dir(root.path());
        for (const char* folder : {"resources/locales/de_DE", "resources/locales/ru_RU", "resources/themes", "data"}) {
            dir.mkpath(QLatin1String(folder));
        }
        QFile::copy(QStringLiteral(TALVEX_LINKS_TABLE), dir.filePath(QStringLiteral("resources/links.json")));
        QFile script(dir.filePath(QStringLiteral("browser.sh")));
        if (script.open(QIODevice::WriteOnly)) {
            script.write(QStringLiteral("#!/bin/sh\necho \"$@\" >> '%1'\n").arg(BrowserTrace()).toUtf8());
            script.close();
            script.setPermissions(script.permissions() | QFile::ExeOwner);
        }
        environment.insert(QStringLiteral("BROWSER"), script.fileName());
        environment.insert(QStringLiteral("TALVEX_RESOURCES_DIR"), dir.filePath(QStringLiteral("resources")));
        environment.insert(QStringLiteral("TALVEX_TEST_STORE"), Store());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    }

    ProductOutput Launch(const QStringList& arguments) const
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TALVEX_HELPER), arguments);
        // A helper still running is killed when the process object goes.
        EXPECT_TRUE(process.waitForFinished(30000)) << "the helper did not end";
        return {process.readAllStandardOutput(), process.readAllStandardError(), process.exitStatus(),
                process.exitCode()};
    }

    QString Output(const char* name = "") const { return root.filePath(QStringLiteral("out/") + name); }
    QString OutputOption() const { return QStringLiteral("--test-output-dir=") + Output(); }
    QString BrowserTrace() const { return root.filePath(QStringLiteral("browser-started")); }
    QString Store() const { return root.filePath(QStringLiteral("store.ini")); }

    // Everything glog wrote for the helper product.
    QByteArray ProductLogs() const
    {
        QByteArray all;
        QDirIterator files(root.filePath(QStringLiteral("data/Talvex/options-helper/Logs")), QDir::Files);
        while (files.hasNext()) {
            all += Read(files.next());
        }
        return all;
    }

    QTemporaryDir root;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

void ExpectNormalEnd(const ProductOutput& run)
{
    EXPECT_EQ(run.status, QProcess::NormalExit);
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
}

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
