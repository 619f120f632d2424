#include "Platform/Links/LinksManager.h"

#include "common/LogCapture.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using Talvex::LinksManager;

namespace {

class LinksTable : public ::testing::Test {
protected:
    void SetUp() override { qputenv("TALVEX_RESOURCES_DIR", QFile::encodeName(resources.path())); }
    void TearDown() override { qunsetenv("TALVEX_RESOURCES_DIR"); }

    void WriteTable(const QByteArray& text)
    {
        QFile file(resources.filePath(QStringLiteral("links.json")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    }

    std::unique_ptr<LinksManager> Build()
    {
        const auto setting = [](const QString& key, const QString& fallback) {
            return key == "Email" ? "a+b@example.com" : key == "InstallerName" ? "web setup" : fallback;
        };
        return std::make_unique<LinksManager>([this] { return identity; }, [this] { return locale; }, setting, setting);
    }

    QTemporaryDir resources;
    const Talvex::ProductIdentity identity{"Talvex Clipforge", "clipforge", "20.1.2"};
    QString locale = QStringLiteral("de_DE");
    Talvex::Test::LogCapture log;
};

} // namespace

TEST_F(LinksTable, TemplatesGetCurrentProductLocaleAndSettingsPercentEncoded)
{
    WriteTable(R"({"HOME_PAGE": "https://x.example/{lang}/{code}/?v={version}&p={product}&l={locale}",
                   "CONTACT_US": "https://x.example/c?e={email}&i={installer}&x={partner}"})");
    const auto links = Build();
    EXPECT_EQ(links->GetUrl(Talvex::CONTACT_US), "https://x.example/c?e=a%2Bb%40example.com&i=web%20setup&x=");
    locale = QStringLiteral("fr_FR"); // switched after the links manager was built
    EXPECT_EQ(links->GetUrl(Talvex::HOME_PAGE),
              "https://x.example/fr/clipforge/?v=20.1.2&p=Talvex%20Clipforge&l=fr_FR");
    EXPECT_EQ(LinksManager({}, {}, {}, {}).GetUrl(Talvex::HOME_PAGE).toStdString(), "https://x.example///?v=&p=&l=")
        << "empty sources leave their fields empty";
    EXPECT_FALSE(log.Contains(google::GLOG_ERROR, ""));
}

TEST_F(LinksTable, MissingKeyOrMalformedTableIsLoggedAndGivesEmptyAddresses)
{
    WriteTable(R"({"HOME_PAGE": "https://x.example/", "NO_SUCH_KEY": "https://y.example/", "BUY": 5})");
    const auto links = Build();
    EXPECT_EQ(links->GetUrl(Talvex::HOME_PAGE), QStringLiteral("https://x.example/"));
    EXPECT_TRUE(links->GetUrl(Talvex::THANK_FOR_INSTALL_URL).isEmpty());
    EXPECT_TRUE(links->GetUrl(Talvex::BUY).isEmpty()) << "a non-text address is not an address";
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "NO_SUCH_KEY"));
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "THANK_FOR_INSTALL_URL"));

    for (const QByteArray& malformed : {QByteArray(R"({"HOME_PAGE": "https://x.example/",)"), QByteArray("[1]")}) {
        WriteTable(malformed);
        EXPECT_TRUE(Build()->GetUrl(Talvex::HOME_PAGE).isEmpty());
    }
    EXPECT_EQ(log.Count(google::GLOG_ERROR, "Malformed links table"), 2);
}

TEST_F(LinksTable, ShippedTableHasAnAddressForEveryKey)
{
    ASSERT_TRUE(QFile::copy(QStringLiteral(TALVEX_SHIPPED_LINKS_TABLE), resources.filePath("links.json")));
    const auto links = Build();
    for (int key = 1; *Talvex::URLKeyName(static_cast<Talvex::URLKeys>(key)) != '\0'; ++key) {
        const QString address = links->GetUrl(static_cast<Talvex::URLKeys>(key));
        EXPECT_TRUE(address.startsWith("https://") && !address.contains('{')) << address.toStdString();
    }
    EXPECT_FALSE(log.Contains(google::GLOG_ERROR, ""));
}
