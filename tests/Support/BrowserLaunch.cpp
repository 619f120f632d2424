#include "Platform/Browser/PreferredBrowser.h"
#include "Platform/Browser/URLHandler.h"
#include "Platform/Links/LinksManager.h"

#include <QDesktopServices>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using Talvex::PreferredBrowser;
using Talvex::PreferredBrowserContext;

namespace {

// A stand-in browser: records its arguments, one per line, in "<script>.args".
QString WriteBrowserScript(const QString& path)
{
    QFile script(path);
    script.open(QIODevice::WriteOnly);
    script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args.tmp\" && mv \"$0.args.tmp\" \"$0.args\"\n");
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    return path;
}

QStringList RecordedArguments(const QString& script)
{
    QFile file(script + QStringLiteral(".args"));
    if (!QTest::qWaitFor([&] { return file.exists(); }, 20000) || !file.open(QIODevice::ReadOnly)) {
        return {QStringLiteral("<browser never started>")};
    }
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

class BrowserLaunch : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("BROWSER", QFile::encodeName(environmentBrowser));
        browser->SetContextCallback([this] {
            ++contextRequests;
            return context;
        });
    }
    void TearDown() override
    {
        qunsetenv("BROWSER");
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    }

    QTemporaryDir folder;
    const QString environmentBrowser = WriteBrowserScript(folder.filePath(QStringLiteral("env-browser")));
    std::shared_ptr<PreferredBrowser> browser = std::make_shared<PreferredBrowser>();
    PreferredBrowserContext context;
    int contextRequests = 0;
};

} // namespace

TEST_F(BrowserLaunch, HttpLinkOpenedThroughQtReachesTheBrowserFromTheEnvironment)
{
    Talvex::URLHandler handler(nullptr, browser);
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &handler, "OpenURLWithPreferredBrowser");
    const Talvex::LinksManager links({}, {}, {}, {});

    links.OpenUrl(QStringLiteral("http://example.com/page?q=a%20b"));

    EXPECT_EQ(RecordedArguments(environmentBrowser), QStringList{QStringLiteral("http://example.com/page?q=a%20b")});
    EXPECT_EQ(contextRequests, 1);
}

TEST_F(BrowserLaunch, AddressGoesWherePercentSMarksItsPlace)
{
    qputenv("BROWSER", QFile::encodeName("no-such-browser-anywhere:" + environmentBrowser + " --new-tab %s --x"));
    Talvex::URLHandler handler(nullptr, browser);

    handler.OpenURLWithPreferredBrowser(QUrl(QStringLiteral("https://example.com/")));

    EXPECT_EQ(
        RecordedArguments(environmentBrowser),
        (QStringList{QStringLiteral("--new-tab"), QStringLiteral("https://example.com/"), QStringLiteral("--x")}));
}

TEST_F(BrowserLaunch, ContextIsAskedOnEveryDecisionAndAnExecutableRecordWins)
{
    const QString recorded = WriteBrowserScript(folder.filePath(QStringLiteral("recorded-browser")));
    EXPECT_EQ(browser->Path(), environmentBrowser);

    context.preferredBrowser = recorded;
    EXPECT_EQ(browser->Path(), recorded);

    context.preferredBrowser = folder.filePath(QStringLiteral("env-browser.gone"));
    EXPECT_EQ(browser->Path(), environmentBrowser) << "a missing file is no browser";

    context.locale = QStringLiteral("de_DE");
    EXPECT_TRUE(browser->UserAgent().contains(QStringLiteral("de-DE")));
    EXPECT_EQ(contextRequests, 4);
}

TEST_F(BrowserLaunch, RecordThatIsNotExecutableFallsBackToTheInstallersChoice)
{
    qunsetenv("BROWSER");
    QFile plain(folder.filePath(QStringLiteral("plain-file")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    context.preferredBrowser = plain.fileName();
    context.installerBrowser = environmentBrowser;

    EXPECT_EQ(browser->Path(), environmentBrowser);
}
