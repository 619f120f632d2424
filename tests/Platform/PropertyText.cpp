#include "Platform/Core/Exception.h"
#include "Platform/Core/PropertySerializer.h"
#include "Platform/IO/DataInputString.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using Talvex::Core::DataInputString;
using Talvex::Core::Property;
using Talvex::Core::PropertySerializer;

TEST(PropertyText, NestedValuesEscapesAndNonAsciiTextSurviveARoundTrip)
{
    const std::string text = R"({"de_DE": "Hell", "meta": {"rank": 2, "dark": false}, "n": null,
        "t": "Line\nTab\t\u00e9 \ud83d\ude00 日本", "quote": "say \"hi\" \\ now"})";
    Property root;
    PropertySerializer::Deserialize(root, DataInputString::Create(&text), true);
    const std::string serialized = PropertySerializer::Serialize(root);
    Property again;
    PropertySerializer::Deserialize(again, DataInputString::Create(&serialized), true);

    for (const Property* tree : {&root, &again}) {
        EXPECT_EQ((*tree)["de_DE"].GetString(), "Hell");
        EXPECT_EQ((*tree)["meta"]["rank"].GetString(), "2");
        EXPECT_EQ((*tree)["meta"]["dark"].GetString(), "false");
        EXPECT_EQ((*tree)["t"].GetString(), "Line\nTab\t\xC3\xA9 \xF0\x9F\x98\x80 日本");
        EXPECT_EQ((*tree)["quote"].GetString(), "say \"hi\" \\ now");
        EXPECT_TRUE(tree->ChildExists("n"));
        EXPECT_FALSE(tree->ChildExists("fr_FR"));
    }
}

TEST(PropertyText, MalformedTextThrowsNamingWhereAndNeverLeavesAPartialTree)
{
    const std::string text = "{\n  \"en_US\": \"Light\",\n  \"de_DE\" \"Hell\"\n}";
    Property root;
    try {
        PropertySerializer::Deserialize(root, DataInputString::Create(&text), true);
        FAIL() << "no exception";
    } catch (const Talvex::Exception& error) {
        EXPECT_NE(std::string(error.what()).find("line 3"), std::string::npos) << error.what();
    }

    const std::string deep = "{\"a\": " + std::string(5000, '[') + std::string(5000, ']') + "}";
    for (const std::string& bad :
         {text, std::string("{\"a\": \"b\""), std::string("{\"a\": \"b\"} trailing"), std::string("{\"a\": \"b\",}"),
          std::string("{\"a\": \"\xC3\"}"), std::string("[1, 2]"), std::string("\"Light\""), std::string(), deep}) {
        root.Child("stale").SetString("old");
        EXPECT_FALSE(PropertySerializer::Deserialize(root, DataInputString::Create(&bad), false)) << bad.substr(0, 40);
        EXPECT_TRUE(root.Children().empty()) << bad.substr(0, 40);
        EXPECT_THROW(PropertySerializer::Deserialize(root, DataInputString::Create(&bad), true), Talvex::Exception);
    }
    EXPECT_THROW(PropertySerializer::Deserialize(root, nullptr, true), Talvex::Exception);
}

TEST(PropertyText, WritingBackKeepsNumberSpellingArraysMemberOrderAndEmptyContainers)
{
    const std::string text = R"({"z":0.1,"a":[0,1,2,3,4,5,6,7,8,9,10,{"x":-0}],"big":12345678901234567890,)"
                             R"("tiny":1E-400,"e":{},"l":[],"dup":"first","dup":"second","n":null,"t":true,)"
                             R"("s":"0.1","esc":"\u0001\"\\"})";
    Property root;
    ASSERT_TRUE(PropertySerializer::Deserialize(root, DataInputString::Create(&text), true));
    EXPECT_EQ(PropertySerializer::Serialize(root), text);

    EXPECT_EQ(root["a"].GetKind(), Property::Kind::Array);
    EXPECT_EQ(root["a"]["10"].GetString(), "10");
    EXPECT_EQ(root["z"].GetKind(), Property::Kind::Number);
    EXPECT_EQ(root["s"].GetKind(), Property::Kind::Text);
    EXPECT_EQ(root["dup"].GetString(), "first");
    EXPECT_EQ(root["n"].GetString(), "");
}

TEST(PropertyText, TreesDeeperThanTheLimitAreRefusedOnBothSidesAndStillCopyAndFree)
{
    Property deep;
    Property* node = &deep;
    for (int i = 0; i < 100000; ++i) {
        node = &node->AddChild(Property("d"));
    }
    try {
        PropertySerializer::Serialize(deep);
        FAIL() << "no exception";
    } catch (const Talvex::Exception& error) {
        EXPECT_STREQ(error.what(), "Property tree nests deeper than 1024 levels");
    }
    const Property copy = deep;
    EXPECT_TRUE(copy["d"]["d"].ChildExists("d"));

    const int limit = PropertySerializer::MAX_DEPTH;
    const std::string atLimit = "{\"a\":" + std::string(limit - 1, '[') + std::string(limit - 1, ']') + "}";
    Property root;
    ASSERT_TRUE(PropertySerializer::Deserialize(root, DataInputString::Create(&atLimit), false));
    EXPECT_EQ(PropertySerializer::Serialize(root), atLimit);
    const std::string overLimit = "{\"a\":" + std::string(limit, '[') + std::string(limit, ']') + "}";
    EXPECT_FALSE(PropertySerializer::Deserialize(root, DataInputString::Create(&overLimit), false));
}

TEST(PropertyText, ValuesThatJsonCannotCarryAreRefusedWhenWritten)
{
    for (const auto& [value, kind] :
         std::vector<std::pair<std::string, Property::Kind>>{{"1,5", Property::Kind::Number},
                                                             {"", Property::Kind::Number},
                                                             {"01", Property::Kind::Number},
                                                             {"yes", Property::Kind::Boolean},
                                                             {"bad \xC3(", Property::Kind::Text}}) {
        Property root;
        root.Child("v").SetValue(value, kind);
        EXPECT_THROW(PropertySerializer::Serialize(root), Talvex::Exception) << value;
    }
}
