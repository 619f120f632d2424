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
