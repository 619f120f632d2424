#include "App/Application/LogURLHandler.h"
#include "Platform/Browser/PreferredBrowser.h"
#include "Platform/Browser/URLHandler.h"

#include <QDesktopServices>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class BrowserLaunch : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("BROWSER", QFile::encodeName(environmentBrowser));
        browser->SetContextCallback([this] { return context; }); // asked afresh on every decision
    }

    // A stand-in browser: records its arguments, one per line, in "<script>.args".
    QString WriteBrowserScript(const QString& name) const
    {
        QFile script(folder.filePath(name));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args.tmp\" && mv \"$0.args.tmp\" \"$0.args\"\n");
        script.setPermissions(script.permissions() | QFile::ExeOwner);
        return script.fileName();
    }

    QTemporaryDir folder;
    const QString environmentBrowser = WriteBrowserScript(QStringLiteral("env-browser"));
    std::shared_ptr<Talvex::PreferredBrowser> browser = std::make_shared<Talvex::PreferredBrowser>();
    Talvex::PreferredBrowserContext context;
};

} // namespace

TEST_F(BrowserLaunch, AddressGoesWherePercentSMarksItsPlaceInTheFirstUsableEntry)
{
    qputenv("BROWSER", QFile::encodeName("no-such-browser-anywhere:" + environmentBrowser + " --new-tab %s --x"));
    Talvex::URLHandler(nullptr, browser).OpenURLWithPreferredBrowser(QUrl(QStringLiteral("https://example.com/")));
    const QString record = environmentBrowser + QStringLiteral(".args");
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(record); }, 20000)) << "the browser never started";
    EXPECT_EQ(ReadAll(record), "--new-tab\nhttps://example.com/\n--x\n");
}

TEST_F(BrowserLaunch, OnlyAnExecutableRecordBeatsTheEnvironmentAndTheInstallersChoiceComesNext)
{
    EXPECT_EQ(browser->Path(), environmentBrowser);
    context.preferredBrowser = QStringLiteral("/bin/sh");
    EXPECT_EQ(browser->Path(), "/bin/sh");
    context.preferredBrowser = folder.filePath(QStringLiteral("env-browser.gone"));
    EXPECT_EQ(browser->Path(), environmentBrowser) << "a missing file is no browser";

    qunsetenv("BROWSER");
    context.preferredBrowser = QStringLiteral("/etc/passwd"); // not executable
    context.installerBrowser = environmentBrowser;
    EXPECT_EQ(browser->Path(), environmentBrowser) << "the installer's choice comes next";
}

TEST_F(BrowserLaunch, LoggedLinksBecomeOneLineEachOfAFreshFileWrittenAtOnce)
{
    const QString path = folder.filePath(QStringLiteral("urls.txt"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("from an earlier run\n") > 0);
    }
    Talvex::App::LogURLHandler handler(nullptr, path);
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &handler, "logUrls");

    EXPECT_TRUE(QDesktopServices::openUrl(QUrl(QStringLiteral("http://example.com/a?b=c d"))));
    EXPECT_EQ(ReadAll(path), "http://example.com/a?b=c d\n") << "a run that is killed still leaves its links";
    QDesktopServices::openUrl(QUrl(QStringLiteral("http://example.com/%C3%BC")));
    EXPECT_EQ(ReadAll(path), "http://example.com/a?b=c d\nhttp://example.com/\xC3\xBC\n");
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}
