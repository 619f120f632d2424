#include "ThemeFixture.h"

#include "Platform/Core/Exception.h"

#include <gmock/gmock.h>

using ::testing::UnorderedElementsAre;

namespace Talvex::Test {

using ThemeCatalogue = ThemeFixture;

TEST_F(ThemeCatalogue, ListsThemeFoldersWithADescriptionAndEveryLocaleFolder)
{
    AddTheme("Light", {"Base"});
    AddTheme("Dark", {"Extra"});
    AddTheme("Bare", {"Base"}, QByteArray());
    WriteFile("resources/themes/stray.txt", "not a theme");
    WriteFile("resources/locales/de_DE/app_de_DE.qm", "");
    WriteFile("resources/locales/ru_RU/.keep", "");

    auto& lookAndFeel = MakeManager();

    EXPECT_THAT(lookAndFeel.GetThemes(), UnorderedElementsAre("Light", "Dark"));
    EXPECT_THAT(lookAndFeel.GetLocales(), UnorderedElementsAre("de_DE", "ru_RU"));
    EXPECT_TRUE(lookAndFeel.GetCurrentTheme().empty());
    EXPECT_TRUE(lookAndFeel.GetCurrentLocale().empty());
    EXPECT_TRUE(lookAndFeel.GetUnitedStylesheet().empty());
}

TEST_F(ThemeCatalogue, MalformedDescriptionLeavesTheConstructor)
{
    AddTheme("Light", {"Base"});
    AddTheme("Broken", {"Base"}, R"({"en_US": "Bro)");
    EXPECT_THROW(MakeManager(), Talvex::Exception);
}

TEST_F(ThemeCatalogue, TitleFollowsTheCurrentLocaleAndFallsBackToTheFolderNameWithAWarning)
{
    AddTheme("Light", {"Base"});
    auto& lookAndFeel = MakeManager();

    lookAndFeel.SetLocale("de_DE");
    EXPECT_EQ(lookAndFeel.GetLocalizedThemeName("Light"), "Hell");
    EXPECT_EQ(log.Count(google::GLOG_WARNING, "No title found"), 0);

    lookAndFeel.SetLocale("fr_FR");
    EXPECT_EQ(lookAndFeel.GetLocalizedThemeName("Light"), "Light");
    EXPECT_EQ(lookAndFeel.GetLocalizedThemeName("Unknown"), "Unknown");
    EXPECT_TRUE(log.Contains(google::GLOG_WARNING, "No title found for theme [Light] on language [fr_FR]!"));
    EXPECT_TRUE(log.Contains(google::GLOG_WARNING, "No title found for theme [Unknown] on language [fr_FR]!"));
}

} // namespace Talvex::Test
