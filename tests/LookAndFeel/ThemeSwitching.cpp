#include "ThemeFixture.h"

#include <QFile>

#include <gmock/gmock.h>

using ::testing::ElementsAre;

namespace Talvex::Test {

using ThemeSwitching = ThemeFixture;

TEST_F(ThemeSwitching, InitializeTellsTheLocaleThenTheTheme)
{
    AddTheme("Light", {"Base"});
    auto& lookAndFeel = MakeManager();

    lookAndFeel.Initialize("de_DE", "Light");
    lookAndFeel.SetLocale("de_DE");

    EXPECT_THAT(observer.events, ElementsAre("locale:de_DE", "theme:Light"));
    EXPECT_EQ(lookAndFeel.GetCurrentLocale(), "de_DE");
    EXPECT_EQ(lookAndFeel.GetCurrentTheme(), "Light");
}

TEST_F(ThemeSwitching, AnotherThemeUnmountsThePreviousBundles)
{
    AddTheme("Light", {"Base"});
    AddTheme("Dark", {"Extra"});
    auto& lookAndFeel = MakeManager();

    lookAndFeel.SetTheme("Light");
    EXPECT_TRUE(QFile::exists(":/Base/style.qss"));
    lookAndFeel.SetTheme("Dark");

    EXPECT_FALSE(QFile::exists(":/Base/style.qss"));
    EXPECT_TRUE(QFile::exists(":/Extra/style.qss"));
    EXPECT_THAT(observer.events, ElementsAre("theme:Light", "theme:Dark"));
}

TEST_F(ThemeSwitching, UnknownThemeIsStillCurrentWithTheProductSheetsOnly)
{
    AddTheme("Light", {"Base"});
    auto& lookAndFeel = MakeManager();
    lookAndFeel.SetTheme("Light");

    lookAndFeel.SetTheme("Missing");

    EXPECT_EQ(lookAndFeel.GetCurrentTheme(), "Missing");
    EXPECT_EQ(lookAndFeel.GetUnitedStylesheet(), "/* product */\n/* product linux */\n");
    EXPECT_FALSE(QFile::exists(":/Base/style.qss"));
    EXPECT_EQ(log.Count(google::GLOG_ERROR, "/resources/themes/Missing] doesn't exist!"), 1);
    EXPECT_THAT(observer.events, ElementsAre("theme:Light", "theme:Missing"));

    // Clearing it asks for the folder again.
    lookAndFeel.SetTheme("");
    EXPECT_EQ(log.Count(google::GLOG_ERROR, "/resources/themes/Missing] doesn't exist!"), 2);
}

TEST_F(ThemeSwitching, EmptyNameClearsTheThemeAndTellsNobody)
{
    AddTheme("Light", {"Base"});
    auto& lookAndFeel = MakeManager();
    lookAndFeel.SetTheme("Light");
    const std::string sheet = lookAndFeel.GetUnitedStylesheet();

    lookAndFeel.SetTheme("");

    EXPECT_TRUE(lookAndFeel.GetCurrentTheme().empty());
    EXPECT_FALSE(QFile::exists(":/Base/style.qss"));
    EXPECT_EQ(lookAndFeel.GetUnitedStylesheet(), sheet);
    EXPECT_THAT(observer.events, ElementsAre("theme:Light"));
}

TEST_F(ThemeSwitching, SettingTheCurrentThemeAgainRebuildsAndTellsAgain)
{
    AddTheme("Light", {"Base"});
    auto& lookAndFeel = MakeManager();
    lookAndFeel.SetTheme("Light");
    lookAndFeel.SetLocale("ru_RU");

    lookAndFeel.SetTheme("Light");

    EXPECT_TRUE(QFile::exists(":/Base/style.qss"));
    EXPECT_THAT(lookAndFeel.GetUnitedStylesheet(), ::testing::HasSubstr("Linux Ru"));
    EXPECT_THAT(observer.events, ElementsAre("theme:Light", "locale:ru_RU", "theme:Light"));
}

} // namespace Talvex::Test
