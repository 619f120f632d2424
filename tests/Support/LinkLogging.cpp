#include "App/Application/LogURLHandler.h"

#include <QDesktopServices>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using Talvex::App::LogURLHandler;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class LinkLogging : public ::testing::Test {
protected:
    void TearDown() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }

    QTemporaryDir folder;
};

} // namespace

TEST_F(LinkLogging, EveryOpenedLinkBecomesOneLineOfAFreshFile)
{
    const QString path = folder.filePath(QStringLiteral("urls.txt"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("from an earlier run\n");
    }
    LogURLHandler handler(nullptr, path);
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &handler, "logUrls");

    EXPECT_TRUE(QDesktopServices::openUrl(QUrl(QStringLiteral("http://example.com/a?b=c d"))));
    // Each line is on disk at once, so a run that is killed still leaves its links.
    EXPECT_EQ(ReadAll(path), QByteArray("http://example.com/a?b=c d\n"));
    QDesktopServices::openUrl(QUrl(QStringLiteral("http://example.com/%C3%BC")));

    EXPECT_EQ(ReadAll(path), QByteArray("http://example.com/a?b=c d\nhttp://example.com/\xC3\xBC\n"));
}

TEST_F(LinkLogging, UnwritableFileDropsLinksSilently)
{
    const QString path = folder.filePath(QStringLiteral("missing/urls.txt"));
    LogURLHandler handler(nullptr, path);

    handler.logUrls(QUrl(QStringLiteral("http://example.com/")));

    EXPECT_FALSE(QFile::exists(path));
}
