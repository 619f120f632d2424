#include "Platform/Core/Exception.h"
#include "Platform/Core/PropertySerializer.h"
#include "Platform/IO/DataInputString.h"

#include <gtest/gtest.h>

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
