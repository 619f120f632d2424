#include "App/Application/NotNull.h"
#include "Platform/Links/LinksManager.h"

#include "common/LogCapture.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

using Talvex::LinksManager;
using Talvex::ProductIdentity;
using Talvex::Test::LogCapture;

namespace {

class LinksTable : public ::testing::Test {
protected:
    void SetUp() override { qputenv("TALVEX_RESOURCES_DIR", QFile::encodeName(resources.path())); }
    void TearDown() override { qunsetenv("TALVEX_RESOURCES_DIR"); }

    void WriteTable(const QByteArray& text)
    {
        QFile file(resources.filePath(QStringLiteral("links.json")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    std::unique_ptr<LinksManager> Build()
    {
        return std::make_unique<LinksManager>(
            [this] { return identity; }, [this] { return locale; },
            [this](const QString& key, const QString& fallback) { return key == "Email" ? email : fallback; },
            [this](const QString& key, const QString& fallback) {
                return key == "InstallerName" ? installer : fallback;
            });
    }

    QTemporaryDir resources;
    ProductIdentity identity{QStringLiteral("Talvex Clipforge"), QStringLiteral("clipforge"), QStringLiteral("20.1.2")};
    QString locale = QStringLiteral("de_DE");
    QString email = QStringLiteral("a+b@example.com");
    QString installer = QStringLiteral("web setup");
    LogCapture log;
};

} // namespace

TEST_F(LinksTable, TemplatesGetCurrentProductLocaleAndSettingsPercentEncoded)
{
    WriteTable(R"({"HOME_PAGE": "https://x.example/{lang}/{code}/?v={version}&p={product}&l={locale}",
                   "CONTACT_US": "https://x.example/c?e={email}&i={installer}&x={partner}"})");
    const auto links = Build();

    EXPECT_EQ(links->GetUrl(Talvex::HOME_PAGE).toStdString(),
              "https://x.example/de/clipforge/?v=20.1.2&p=Talvex%20Clipforge&l=de_DE");
    EXPECT_EQ(links->GetUrl(Talvex::CONTACT_US).toStdString(),
              "https://x.example/c?e=a%2Bb%40example.com&i=web%20setup&x=");

    // The user switched the language after the links manager was built.
    locale = QStringLiteral("fr_FR");
    EXPECT_EQ(links->GetUrl(Talvex::HOME_PAGE).toStdString(),
              "https://x.example/fr/clipforge/?v=20.1.2&p=Talvex%20Clipforge&l=fr_FR");
    EXPECT_FALSE(log.Contains(google::GLOG_ERROR, ""));
}

TEST_F(LinksTable, KeyMissingFromTheTableHasAnEmptyAddress)
{
    WriteTable(R"({"HOME_PAGE": "https://x.example/", "NO_SUCH_KEY": "https://y.example/", "BUY": 5})");
    const auto links = Build();

    EXPECT_EQ(links->GetUrl(Talvex::HOME_PAGE), QStringLiteral("https://x.example/"));
    EXPECT_TRUE(links->GetUrl(Talvex::THANK_FOR_INSTALL_URL).isEmpty());
    EXPECT_TRUE(links->GetUrl(Talvex::BUY).isEmpty()) << "a non-text address is not an address";
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "NO_SUCH_KEY"));
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "THANK_FOR_INSTALL_URL"));
}

TEST_F(LinksTable, MalformedOrMissingTableIsLoggedAndGivesEmptyAddresses)
{
    WriteTable(R"({"HOME_PAGE": "https://x.example/",)");
    EXPECT_TRUE(Build()->GetUrl(Talvex::HOME_PAGE).isEmpty());
    EXPECT_EQ(log.Count(google::GLOG_ERROR, "Malformed links table"), 1);

    WriteTable(R"(["HOME_PAGE"])");
    EXPECT_TRUE(Build()->GetUrl(Talvex::HOME_PAGE).isEmpty());
    EXPECT_EQ(log.Count(google::GLOG_ERROR, "Malformed links table"), 2);

    QFile::remove(resources.filePath(QStringLiteral("links.json")));
    EXPECT_TRUE(Build()->GetUrl(Talvex::HOME_PAGE).isEmpty());
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "Cannot read the links table"));
}

TEST_F(LinksTable, EmptySourcesLeaveTheirFieldsEmpty)
{
    WriteTable(R"({"SUPPORT": "https://x.example/{lang}/{code}?e={email}"})");
    LinksManager links({}, {}, {}, {});

    EXPECT_EQ(links.GetUrl(Talvex::SUPPORT), QStringLiteral("https://x.example//?e="));
}

TEST_F(LinksTable, ShippedTableHasAnAddressForEveryKey)
{
    ASSERT_TRUE(QFile::copy(QStringLiteral(TALVEX_SHIPPED_LINKS_TABLE), resources.filePath("links.json")));
    const auto links = Build();

    for (int key = 1; *Talvex::URLKeyName(static_cast<Talvex::URLKeys>(key)) != '\0'; ++key) {
        const QString address = links->GetUrl(static_cast<Talvex::URLKeys>(key));
        EXPECT_TRUE(address.startsWith("https://")) << Talvex::URLKeyName(static_cast<Talvex::URLKeys>(key));
        EXPECT_FALSE(address.contains('{')) << address.toStdString();
    }
    EXPECT_FALSE(log.Contains(google::GLOG_ERROR, ""));
}

TEST(NotNull, RefusesAnEmptyPointerWithTheDocumentedText)
{
    try {
        Talvex::NotNull<int> empty{std::shared_ptr<int>()};
        FAIL() << "no exception";
    } catch (const std::logic_error& error) {
        EXPECT_STREQ(error.what(), "NotNull can not initialized by null");
    }
    const Talvex::NotNull<int> held(std::make_shared<int>(4));
    EXPECT_EQ(*held, 4);
}
