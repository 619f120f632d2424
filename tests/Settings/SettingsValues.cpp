#include "SettingsTestSupport.h"

#include "common/LogCapture.h"

#include <QFile>

using Talvex::App::SettingsManager;
using Talvex::Test::Bytes;
using Talvex::Test::SettingsFile;

namespace {

const std::string kKeyUmlaut = "Gr\xC3\xBC\xC3\x9F"
                               "e/\xE6\x97\xA5\xE6\x9C\xAC"; // "Grüße/日本"
const std::string kTextUmlaut = "\xC3\xA4\xC3\xB6\xC3\xBC \xE2\x82\xAC \xF0\x9F\x8E\xAC";
const Bytes kBytesWithZeros{0x00, 0xFF, 0x00, 0x0A, '=', '@', 0x00};
const long long kBeyond32Bits = 9007199254740993LL; // 2^53 + 1: also beyond a double's precision

void ExpectAllSix(const SettingsManager& store)
{
    EXPECT_TRUE(store.GetBool("flags/on", false));
    EXPECT_EQ(store.GetInt("count", 0), -123456);
    EXPECT_EQ(store.GetString(kKeyUmlaut, ""), kTextUmlaut);
    EXPECT_EQ(store.GetByteArray("blob", {}), kBytesWithZeros);
    EXPECT_EQ(store.GetInt64("big", 0), kBeyond32Bits);
    EXPECT_DOUBLE_EQ(store.GetDouble("ratio", 0.0), -0.15625);
}

} // namespace

class SettingsValues : public SettingsFile {};

TEST_F(SettingsValues, EveryTypeRoundTripsInMemoryAndThroughTheFile)
{
    {
        auto store = Open();
        store->SetBool("flags/on", true);
        store->SetInt("count", -123456);
        store->SetString(kKeyUmlaut, kTextUmlaut);
        store->SetByteArray("blob", kBytesWithZeros);
        store->SetInt64("big", kBeyond32Bits);
        store->SetDouble("ratio", -0.15625);
        ExpectAllSix(*store);
    }
    ASSERT_TRUE(QFile::exists(Path())) << "the values were never written out";
    ExpectAllSix(*Open());
}

TEST_F(SettingsValues, StoredTextEndsAtTheFirstNul)
{
    auto store = Open();
    store->SetString("text", std::string("ab\0cd", 5));
    EXPECT_EQ(store->GetString("text", "x"), "ab");
    EXPECT_EQ(store->GetString("absent", std::string("de\0f", 4)), "de");
}

TEST_F(SettingsValues, DefaultsApplyOnlyToAbsentKeys)
{
    auto store = Open();
    store->SetString("word", "seven");
    EXPECT_EQ(store->GetInt("word", 7), 0);
    EXPECT_EQ(store->GetInt64("word", 7), 0);
    EXPECT_DOUBLE_EQ(store->GetDouble("word", 7.5), 0.0);
    EXPECT_EQ(store->GetInt("absent", 7), 7);
    EXPECT_TRUE(store->GetBool("absent", true));
    EXPECT_EQ(store->GetString("absent", "fallback"), "fallback");
    EXPECT_EQ(store->GetByteArray("absent", kBytesWithZeros), kBytesWithZeros);
    EXPECT_EQ(store->GetInt64("absent", -kBeyond32Bits), -kBeyond32Bits);

    {
        // A key that is present but holds an invalid value is not absent.
        QSettings raw(Path(), QSettings::IniFormat);
        raw.setValue(QStringLiteral("invalid"), QVariant());
    }
    auto reopened = Open();
    EXPECT_EQ(reopened->GetString("invalid", "fallback"), "");
    EXPECT_TRUE(reopened->GetByteArray("invalid", kBytesWithZeros).empty());

    store->SetString("digits", "42");
    EXPECT_EQ(store->GetInt("digits", 7), 42);
    EXPECT_TRUE(store->GetBool("digits", false));
}

TEST_F(SettingsValues, RemoveDropsAKeyOrAWholeGroup)
{
    auto store = Open();
    store->SetInt("top", 1);
    store->SetInt("group/a", 2);
    store->SetInt("group/sub/b", 3);
    store->SetInt("groupie", 4);

    store->Remove("top");
    EXPECT_FALSE(store->Contains("top"));
    store->Remove("group");
    EXPECT_FALSE(store->Contains("group/a"));
    EXPECT_FALSE(store->Contains("group/sub/b"));
    EXPECT_TRUE(store->Contains("groupie"));
    store->Remove("never-there");
    EXPECT_EQ(store->GetInt("groupie", 0), 4);
}

TEST_F(SettingsValues, OnlyTopLevelGroupsAreFoundAndGroupKeysAreDirectOnes)
{
    auto store = Open();
    store->SetInt("outer/one", 1);
    store->SetInt("outer/two", 2);
    store->SetInt("outer/inner/deep", 3);
    store->SetInt("loose", 4);

    EXPECT_TRUE(store->ContainsGroup("outer"));
    EXPECT_FALSE(store->ContainsGroup("outer/inner"));
    EXPECT_FALSE(store->ContainsGroup("Outer"));
    EXPECT_FALSE(store->ContainsGroup("loose"));

    EXPECT_THAT(store->GetGroupKeys("outer"), ::testing::UnorderedElementsAre("one", "two"));
    EXPECT_THAT(store->GetGroupKeys("outer/inner"), ::testing::ElementsAre("deep"));
    EXPECT_TRUE(store->GetGroupKeys("missing").empty());

    // Listing a group must leave the store at its top level again.
    store->SetInt("after", 5);
    EXPECT_TRUE(store->Contains("after"));
    EXPECT_FALSE(store->Contains("outer/after"));
}

TEST_F(SettingsValues, OrganizationStoreLandsInTheUserConfigFolder)
{
    {
        SettingsManager store(QStringLiteral("SettingsTestApp"), QStringLiteral("SettingsTestOrg"));
        store.SetString("Language", "de_DE");
    }
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(config.isEmpty());
    EXPECT_TRUE(QFile::exists(config + QStringLiteral("/SettingsTestOrg/SettingsTestApp.conf")));
    EXPECT_FALSE(QFile::exists(config + QStringLiteral("/SettingsTestApp/SettingsTestOrg.conf")));

    SettingsManager again(QStringLiteral("SettingsTestApp"), QStringLiteral("SettingsTestOrg"));
    EXPECT_EQ(again.GetString("Language", ""), "de_DE");
}

TEST_F(SettingsValues, UnreadableStoreReadsAsEmptyAndSaysSo)
{
    Talvex::Test::LogCapture log;
    // A folder where the file should be cannot be read as a settings file.
    ASSERT_TRUE(QDir().mkpath(Path()));
    auto store = Open();
    EXPECT_EQ(store->GetInt("anything", 3), 3);
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "could not be read"));
}
