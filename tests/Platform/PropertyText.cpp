#include "Platform/Core/Exception.h"
#include "Platform/Core/PropertySerializer.h"
#include "Platform/IO/DataInputString.h"

#include <gtest/gtest.h>

using Talvex::Core::DataInputString;
using Talvex::Core::Property;
using Talvex::Core::PropertySerializer;

namespace {

Property Parse(const std::string& text)
{
    Property root;
    PropertySerializer::Deserialize(root, DataInputString::Create(&text), true);
    return root;
}

} // namespace

TEST(PropertyText, ReadsNestedTitlesAndSurvivesARoundTrip)
{
    const Property root = Parse(R"({"en_US": "Light", "de_DE": "Hell", "meta": {"rank": 2, "dark": false}})");
    ASSERT_TRUE(root.ChildExists("de_DE"));
    EXPECT_EQ(root["de_DE"].GetString(), "Hell");
    EXPECT_EQ(root["meta"]["rank"].GetString(), "2");
    EXPECT_EQ(root["meta"]["dark"].GetString(), "false");
    EXPECT_FALSE(root.ChildExists("fr_FR"));
    EXPECT_EQ(root["fr_FR"].GetString(), "");

    const Property again = Parse(PropertySerializer::Serialize(root));
    EXPECT_EQ(again["en_US"].GetString(), "Light");
    EXPECT_EQ(again["meta"]["rank"].GetString(), "2");
}

TEST(PropertyText, MalformedTextThrowsNamingWhere)
{
    const std::string text = "{\n  \"en_US\": \"Light\",\n  \"de_DE\" \"Hell\"\n}";
    Property root;
    try {
        PropertySerializer::Deserialize(root, DataInputString::Create(&text), true);
        FAIL() << "no exception";
    } catch (const Talvex::Exception& error) {
        EXPECT_NE(std::string(error.what()).find("line 3"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(PropertySerializer::Deserialize(root, DataInputString::Create(&text), false));
    EXPECT_TRUE(root.Children().empty());
}

TEST(PropertyText, TopLevelThatIsNotAnObjectIsMalformed)
{
    for (const std::string text : {"[1, 2]", "\"Light\"", ""}) {
        Property root;
        EXPECT_THROW(PropertySerializer::Deserialize(root, DataInputString::Create(&text), true), Talvex::Exception)
            << text;
    }
}

TEST(PropertyText, EscapesAndNonAsciiTextBecomeUtf8BothWays)
{
    const Property root =
        Parse(R"({"t": "Line\nTab\t\u00e9 \ud83d\ude00 日本", "quote": "say \"hi\" \\ now", "n": null, "e": ""})");
    EXPECT_EQ(root["t"].GetString(), "Line\nTab\t\xC3\xA9 \xF0\x9F\x98\x80 日本");
    EXPECT_EQ(root["quote"].GetString(), "say \"hi\" \\ now");
    EXPECT_TRUE(root.ChildExists("n"));
    EXPECT_EQ(root["n"].GetString(), "");

    const Property again = Parse(PropertySerializer::Serialize(root));
    EXPECT_EQ(again["t"].GetString(), root["t"].GetString());
    EXPECT_EQ(again["quote"].GetString(), root["quote"].GetString());
}

TEST(PropertyText, BrokenTextNeverLeavesAPartialTreeOrCrashes)
{
    const std::string deep = "{\"a\": " + std::string(5000, '[') + std::string(5000, ']') + "}";
    for (const std::string& text :
         {std::string("{\"a\": \"b\""), std::string("{\"a\": \"b\"} trailing"), std::string("{\"a\": \"b\",}"),
          std::string("{\"a\": \"open}"), std::string("{\"a\": \"\xC3\"}"), deep}) {
        Property root;
        root.Child("stale").SetString("old");
        EXPECT_FALSE(PropertySerializer::Deserialize(root, DataInputString::Create(&text), false))
            << text.substr(0, 40);
        EXPECT_TRUE(root.Children().empty()) << text.substr(0, 40);
        EXPECT_THROW(PropertySerializer::Deserialize(root, DataInputString::Create(&text), true), Talvex::Exception);
    }
    Property root;
    EXPECT_THROW(PropertySerializer::Deserialize(root, nullptr, true), Talvex::Exception);
}
