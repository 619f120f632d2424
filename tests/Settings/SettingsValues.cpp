#include "SettingsTestSupport.h"

#include <QFile>

using Talvex::App::SettingsManager;
using Talvex::Test::Bytes;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

namespace {

const std::string kKeyUmlaut = "Grüße/日本";
const std::string kTextUmlaut = "äöü € 🎬";
const Bytes kBytesWithZeros{0x00, 0xFF, 0x00, 0x0A, '=', '@', 0x00};
const long long kBeyond32Bits = 9007199254740993LL; // 2^53 + 1: also beyond a double's precision

} // namespace

using SettingsValues = Talvex::Test::SettingsFile;

TEST_F(SettingsValues, EveryTypeRoundTripsThroughTheFile)
{
    store->SetBool("flags/on", true);
    store->SetInt("count", -123456);
    store->SetString(kKeyUmlaut, kTextUmlaut);
    store->SetByteArray("blob", kBytesWithZeros);
    store->SetInt64("big", kBeyond32Bits);
    store->SetDouble("ratio", -0.15625);
    store = Open();
    EXPECT_TRUE(store->GetBool("flags/on", false));
    EXPECT_EQ(store->GetInt("count", 0), -123456);
    EXPECT_EQ(store->GetString(kKeyUmlaut, ""), kTextUmlaut);
    EXPECT_EQ(store->GetByteArray("blob", {}), kBytesWithZeros);
    EXPECT_EQ(store->GetInt64("big", 0), kBeyond32Bits);
    EXPECT_DOUBLE_EQ(store->GetDouble("ratio", 0.0), -0.15625);
}

// Keys are converted into a reused buffer; a key the store kept must never change with it.
TEST_F(SettingsValues, ManyNewKeysWrittenInTurnEachKeepTheirOwnValue)
{
    for (int i = 0; i < 200; ++i) {
        store->SetInt("group_" + std::to_string(i % 7) + "/setting_key_" + std::to_string(i), i);
        store->SetInt("group_" + std::to_string(i % 7) + "/setting_key_" + std::to_string(i), i + 1);
    }
    store = Open();
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(store->GetInt("group_" + std::to_string(i % 7) + "/setting_key_" + std::to_string(i), -1), i + 1);
    }
    EXPECT_EQ(store->GetGroupKeys("group_3").size(), 29u);
}

TEST_F(SettingsValues, StoredValuesConvertAndDefaultsApplyOnlyToAbsentKeys)
{
    store->SetString("word", "seven");
    store->SetString("digits", "42");
    EXPECT_EQ(store->GetInt("word", 7), 0);
    EXPECT_EQ(store->GetInt("digits", 7), 42);
    EXPECT_TRUE(store->GetBool("digits", false));

    EXPECT_EQ(store->GetInt("absent", 7), 7);
    EXPECT_EQ(store->GetString("absent", "fallback"), "fallback");
    EXPECT_EQ(store->GetByteArray("absent", kBytesWithZeros), kBytesWithZeros);
}

TEST_F(SettingsValues, GroupsListDirectKeysAndRemoveDropsAKeyOrAWholeGroup)
{
    for (const char* key : {"outer/one", "outer/two", "outer/inner/deep", "outerwear", "loose"}) {
        store->SetInt(key, 1);
    }
    EXPECT_TRUE(store->ContainsGroup("outer"));
    EXPECT_FALSE(store->ContainsGroup("outer/inner")) << "only top-level groups are found";
    EXPECT_THAT(store->GetGroupKeys("outer"), UnorderedElementsAre("one", "two"));
    EXPECT_THAT(store->GetGroupKeys("outer/inner"), ElementsAre("deep"));
    store->SetInt("after", 5);
    EXPECT_FALSE(store->Contains("outer/after")) << "listing a group must leave the store at its top level";

    store->Remove("loose");
    store->Remove("outer");
    EXPECT_FALSE(store->Contains("loose"));
    EXPECT_FALSE(store->Contains("outer/one"));
    EXPECT_FALSE(store->Contains("outer/inner/deep"));
    EXPECT_TRUE(store->Contains("outerwear"));
}

TEST_F(SettingsValues, OrganizationStoreLandsInTheUserConfigFolder)
{
    SettingsManager(QStringLiteral("SettingsTestApp"), QStringLiteral("SettingsTestOrg")).SetString("Language", "de");
    EXPECT_TRUE(QFile::exists(qEnvironmentVariable("XDG_CONFIG_HOME") + "/SettingsTestOrg/SettingsTestApp.conf"));
}

class SettingsNotifications : public Talvex::Test::SettingsFile {
protected:
    void SetUp() override { store->RegisterObserver(&a); }
};

TEST_F(SettingsNotifications, FirstWriteHasNoOldValueLaterOnesCarryThePreviousAndEqualWritesAreSilent)
{
    const std::string withNul("on\0e", 4); // told as passed, stored up to the NUL
    EXPECT_CALL(a, OnBoolChanged("b", true, boost::optional<bool>()));
    EXPECT_CALL(a, OnIntChanged("i", 1, boost::optional<int>()));
    EXPECT_CALL(a, OnStringChanged("s", withNul, boost::optional<std::string>()));
    EXPECT_CALL(a, OnByteArrayChanged("y", Bytes{0, 1}, boost::optional<Bytes>()));
    EXPECT_CALL(a, OnInt64Changed("l", 1LL << 40, boost::optional<long long>()));
    EXPECT_CALL(a, OnDoubleChanged("d", 0.5, boost::optional<double>()));
    EXPECT_CALL(a, OnBoolChanged("b", false, boost::make_optional(true)));
    EXPECT_CALL(a, OnIntChanged("i", 2, boost::make_optional(1)));
    EXPECT_CALL(a, OnStringChanged("s", "two", boost::make_optional<std::string>("on")));
    EXPECT_CALL(a, OnByteArrayChanged("y", Bytes{0, 2}, boost::make_optional(Bytes{0, 1})));
    EXPECT_CALL(a, OnInt64Changed("l", -1, boost::make_optional(1LL << 40)));
    EXPECT_CALL(a, OnDoubleChanged("d", 1.5, boost::make_optional(0.5)));
    EXPECT_CALL(a, OnStringChanged("five", "5", boost::optional<std::string>()));
    // The third pass writes the second pass's values again: nobody is told.
    for (int pass : {0, 1, 1}) {
        store->SetBool("b", pass == 0);
        store->SetInt("i", 1 + pass);
        store->SetString("s", pass == 0 ? withNul : "two");
        store->SetByteArray("y", {0, static_cast<unsigned char>(1 + pass)});
        store->SetInt64("l", pass == 0 ? 1LL << 40 : -1);
        store->SetDouble("d", 0.5 + pass);
    }
    store->SetString("five", "5");
    store->SetInt("five", 5);
    EXPECT_EQ(store->GetString("five", ""), "5");
}

TEST_F(SettingsNotifications, OldValueIsConvertedToTheWrittenType)
{
    store->UnregisterObserver(&a);
    store->SetString("a", "12");
    store->SetString("b", "not a number");
    store->SetString("c", "9007199254740993");
    store->RegisterObserver(&a);

    EXPECT_CALL(a, OnIntChanged("a", 13, boost::make_optional(12)));
    EXPECT_CALL(a, OnInt64Changed("b", 1, boost::make_optional(0LL)));
    EXPECT_CALL(a, OnInt64Changed("c", 1, boost::make_optional(9007199254740993LL)));
    store->SetInt("a", 13);
    store->SetInt64("b", 1);
    store->SetInt64("c", 1);
}

TEST_F(SettingsNotifications, RemoveIsSilentAndTheNextWriteIsAFirstWrite)
{
    EXPECT_CALL(a, OnBoolChanged("group/flag", true, boost::optional<bool>())).Times(2);
    store->SetBool("group/flag", true);
    store->Remove("group/flag");
    store->SetBool("group/flag", true);
    store->Remove("group");
}
