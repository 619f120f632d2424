#include "SettingsTestSupport.h"

using Talvex::Test::Bytes;
using Talvex::Test::MockSettingsObserver;
using Talvex::Test::SettingsFile;
using ::testing::InSequence;
using ::testing::StrictMock;

namespace {
const auto kNone = boost::none;
} // namespace

class SettingsNotifications : public SettingsFile {
protected:
    void SetUp() override { store->RegisterObserver(&observer); }

    std::unique_ptr<Talvex::App::SettingsManager> store = Open();
    StrictMock<MockSettingsObserver> observer;
};

TEST_F(SettingsNotifications, FirstWriteHasNoOldValueAndLaterWritesCarryThePrevious)
{
    {
        InSequence order;
        EXPECT_CALL(observer, OnBoolChanged("b", true, boost::optional<bool>(kNone)));
        EXPECT_CALL(observer, OnBoolChanged("b", false, boost::optional<bool>(true)));
        EXPECT_CALL(observer, OnIntChanged("i", 1, boost::optional<int>(kNone)));
        EXPECT_CALL(observer, OnIntChanged("i", 2, boost::optional<int>(1)));
        EXPECT_CALL(observer, OnStringChanged("s", "one", boost::optional<std::string>(kNone)));
        EXPECT_CALL(observer, OnStringChanged("s", "two", boost::optional<std::string>("one")));
        EXPECT_CALL(observer, OnByteArrayChanged("y", Bytes{0, 1}, boost::optional<Bytes>(kNone)));
        EXPECT_CALL(observer, OnByteArrayChanged("y", Bytes{0, 2}, boost::optional<Bytes>(Bytes{0, 1})));
        EXPECT_CALL(observer, OnInt64Changed("l", 1LL << 40, boost::optional<long long>(kNone)));
        EXPECT_CALL(observer, OnInt64Changed("l", -1, boost::optional<long long>(1LL << 40)));
        EXPECT_CALL(observer, OnDoubleChanged("d", 0.5, boost::optional<double>(kNone)));
        EXPECT_CALL(observer, OnDoubleChanged("d", 1.5, boost::optional<double>(0.5)));
    }
    store->SetBool("b", true);
    store->SetBool("b", false);
    store->SetInt("i", 1);
    store->SetInt("i", 2);
    store->SetString("s", "one");
    store->SetString("s", "two");
    store->SetByteArray("y", {0, 1});
    store->SetByteArray("y", {0, 2});
    store->SetInt64("l", 1LL << 40);
    store->SetInt64("l", -1);
    store->SetDouble("d", 0.5);
    store->SetDouble("d", 1.5);
}

TEST_F(SettingsNotifications, WriteOfAnEqualValueNotifiesNobody)
{
    store->UnregisterObserver(&observer);
    store->SetBool("b", true);
    store->SetInt("i", 1);
    store->SetString("s", "one");
    store->SetByteArray("y", {0, 1});
    store->SetInt64("l", 1LL << 40);
    store->SetDouble("d", 0.5);
    store->SetString("five", "5");
    store->RegisterObserver(&observer);

    // The strict mock fails on any call.
    store->SetBool("b", true);
    store->SetInt("i", 1);
    store->SetString("s", "one");
    store->SetByteArray("y", {0, 1});
    store->SetInt64("l", 1LL << 40);
    store->SetDouble("d", 0.5);
    store->SetInt("five", 5);
    store->SetString("s", std::string("one\0two", 7));
    EXPECT_EQ(store->GetString("five", ""), "5");
}

TEST_F(SettingsNotifications, OldValueIsConvertedToTheWrittenType)
{
    store->UnregisterObserver(&observer);
    store->SetString("a", "12");
    store->SetString("b", "not a number");
    store->SetString("c", "9007199254740993");
    store->SetInt("d", 0);
    store->SetByteArray("e", {'h', 'i'});
    store->RegisterObserver(&observer);
    {
        InSequence order;
        EXPECT_CALL(observer, OnIntChanged("a", 13, boost::optional<int>(12)));
        EXPECT_CALL(observer, OnInt64Changed("b", 1, boost::optional<long long>(0)));
        EXPECT_CALL(observer, OnInt64Changed("c", 1, boost::optional<long long>(9007199254740993LL)));
        EXPECT_CALL(observer, OnBoolChanged("d", true, boost::optional<bool>(false)));
        EXPECT_CALL(observer, OnStringChanged("e", "ho", boost::optional<std::string>("hi")));
    }
    store->SetInt("a", 13);
    store->SetInt64("b", 1);
    store->SetInt64("c", 1);
    store->SetBool("d", true);
    store->SetString("e", "ho");
}

TEST_F(SettingsNotifications, ObserversGetTheValueAsPassedNotAsStored)
{
    const std::string withNul("ab\0cd", 5);
    EXPECT_CALL(observer, OnStringChanged("s", withNul, boost::optional<std::string>(kNone)));
    store->SetString("s", withNul);
}

TEST_F(SettingsNotifications, RemoveIsSilentAndTheNextWriteIsAFirstWrite)
{
    {
        InSequence order;
        EXPECT_CALL(observer, OnBoolChanged("group/flag", true, boost::optional<bool>(kNone)));
        EXPECT_CALL(observer, OnBoolChanged("group/flag", true, boost::optional<bool>(kNone)));
    }
    store->SetBool("group/flag", true);
    store->Remove("group/flag");
    store->SetBool("group/flag", true);
    store->Remove("group");
    EXPECT_FALSE(store->Contains("group/flag"));
}
