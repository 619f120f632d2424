#include "ThemeFixture.h"

#include "Platform/Util/FontDatabase.h"

#include <QFont>
#include <QFontDatabase>
#include <QPainterPath>
#include <QRawFont>
#include <QResource>

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

namespace Talvex::Test {

using ThemeSwitching = ThemeFixture;

TEST_F(ThemeSwitching, ListsThemeFoldersWithADescriptionThatParsesAndEveryLocaleFolder)
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

    // One damaged file on a user's disk must not keep the product from starting.
    AddTheme("Broken", {"Base"}, R"({"en_US": "Bro)");
    EXPECT_THAT(MakeManager().GetThemes(), UnorderedElementsAre("Light", "Dark"));
    const std::string file = root.filePath("resources/themes/Broken/theme.json").toStdString();
    EXPECT_EQ(log.Count(google::GLOG_ERROR,
                        "Skipping theme [Broken]: Malformed property text in \"" + file + "\" at offset 14 (line 1)"),
              1);
}

TEST_F(ThemeSwitching, TitleFollowsTheCurrentLocaleAndFallsBackToTheFolderNameWithAWarning)
{
    AddTheme("Light", {"Base"});
    ShipLocales({"de_DE", "fr_FR"});
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

TEST_F(ThemeSwitching, InitializeTellsLocaleThenThemeAndSettingTheCurrentThemeAgainRebuilds)
{
    AddTheme("Light", {"Base"});
    ShipLocales({"de_DE", "ru_RU"});
    auto& lookAndFeel = MakeManager();
    lookAndFeel.Initialize("de_DE", "Light");
    lookAndFeel.SetLocale("de_DE");
    EXPECT_THAT(observer.events, ElementsAre("locale:de_DE", "theme:Light"));

    lookAndFeel.SetLocale("ru_RU");
    lookAndFeel.SetTheme("Light");
    EXPECT_TRUE(QFile::exists(":/Base/style.qss"));
    EXPECT_THAT(lookAndFeel.GetUnitedStylesheet(), ::testing::HasSubstr("Linux Ru"));
    EXPECT_THAT(observer.events, ElementsAre("locale:de_DE", "theme:Light", "locale:ru_RU", "theme:Light"));
}

TEST_F(ThemeSwitching, ApplyingTheCurrentThemeAgainLeavesItsBundlesMountedOnce)
{
    AddTheme("A", {});
    AddBundle("A", "SharedA", "Shared");
    AddTheme("B", {});
    AddBundle("B", "SharedB", "Shared");
    auto& lookAndFeel = MakeManager();
    lookAndFeel.Initialize("en_US", "A");
    lookAndFeel.SetTheme("A");
    EXPECT_EQ(lookAndFeel.GetUnitedStylesheet(), "QWidget { color: red; } /* A */\n\n\n" + std::string(PRODUCT));

    // One unmount per theme change: had "A" been mounted twice, its sheet would still win.
    lookAndFeel.SetTheme("B");
    EXPECT_EQ(lookAndFeel.GetUnitedStylesheet(), "QWidget { color: blue; } /* B */\n\n\n" + std::string(PRODUCT));
    lookAndFeel.SetTheme("");
    EXPECT_FALSE(QFile::exists(":/Shared/style.qss"));
    EXPECT_THAT(observer.events, ElementsAre("locale:en_US", "theme:A", "theme:A", "theme:B"));
}

TEST_F(ThemeSwitching, AnotherOrUnknownThemeUnmountsThePreviousBundlesAndIsStillCurrent)
{
    AddTheme("Light", {"Base"});
    AddTheme("Dark", {"Extra"});
    auto& lookAndFeel = MakeManager();
    lookAndFeel.SetTheme("Light");
    lookAndFeel.SetTheme("Dark");
    EXPECT_FALSE(QFile::exists(":/Base/style.qss"));
    EXPECT_TRUE(QFile::exists(":/Extra/style.qss"));

    lookAndFeel.SetTheme("Missing");
    EXPECT_EQ(lookAndFeel.GetCurrentTheme(), "Missing");
    EXPECT_EQ(lookAndFeel.GetUnitedStylesheet(), PRODUCT);
    EXPECT_FALSE(QFile::exists(":/Extra/style.qss"));
    EXPECT_EQ(log.Count(google::GLOG_ERROR, "/resources/themes/Missing] doesn't exist!"), 1);
    EXPECT_THAT(observer.events, ElementsAre("theme:Light", "theme:Dark", "theme:Missing"));

    lookAndFeel.SetTheme("");
    EXPECT_EQ(log.Count(google::GLOG_ERROR, "/resources/themes/Missing] doesn't exist!"), 2) << "clearing asks again";
}

// Bundles from disk are untrusted: Qt would read wherever a damaged one's offsets point.
TEST_F(ThemeSwitching, ADamagedBundleIsLeftOutWithAnErrorAndTheRestOfTheThemeApplies)
{
    AddTheme("Light", {"Base", "Extra"});
    const QString extra = root.filePath("resources/themes/Light/Extra.rcc");
    QFile file(extra);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(file.size() / 2));
    file.close();
    auto& lookAndFeel = MakeManager();
    lookAndFeel.SetTheme("Light");
    EXPECT_EQ(log.Count(google::GLOG_ERROR, "Skipping damaged theme bundle " + extra.toStdString()), 1);
    EXPECT_TRUE(QFile::exists(":/Base/style.qss"));
    EXPECT_FALSE(QFile::exists(":/Extra/style.qss"));
    EXPECT_EQ(lookAndFeel.GetCurrentTheme(), "Light");
}

// Installers and copies overwrite bundles in place while the product runs.
TEST_F(ThemeSwitching, ABundleCutShortOnDiskKeepsReadingAsMountedUntilTheNextMount)
{
    AddTheme("Light", {"Base"});
    auto& lookAndFeel = MakeManager();
    lookAndFeel.SetTheme("Light");
    const std::string sheet = lookAndFeel.GetUnitedStylesheet();
    const auto readFont = [] {
        QFile font(":/Base/TalvexTestSans.ttf");
        return font.open(QIODevice::ReadOnly) ? font.readAll() : QByteArray();
    };
    const QByteArray font = readFont();
    QFile bundle(root.filePath("resources/themes/Light/Base.rcc"));
    ASSERT_TRUE(bundle.open(QIODevice::ReadWrite) && bundle.resize(24));
    bundle.close();

    lookAndFeel.SetTheme(lookAndFeel.GetCurrentTheme());
    EXPECT_EQ(lookAndFeel.GetUnitedStylesheet(), sheet);
    EXPECT_FALSE(font.isEmpty());
    EXPECT_EQ(readFont(), font);

    lookAndFeel.SetTheme("");
    lookAndFeel.SetTheme("Light");
    EXPECT_FALSE(QFile::exists(":/Base/style.qss")) << "the cut bundle is checked again when mounted again";
    EXPECT_EQ(log.Count(google::GLOG_ERROR, "Skipping damaged theme bundle"), 1);
}

TEST_F(ThemeSwitching, ClearingUnmountsWhatWasMountedThoughItsFileOrFolderIsGone)
{
    AddTheme("A", {});
    AddBundle("A", "SharedA", "Shared");
    AddTheme("B", {});
    AddBundle("B", "SharedB", "Shared");
    auto& lookAndFeel = MakeManager();
    lookAndFeel.SetTheme("A");
    QFile stillOpen(":/Shared/style.qss");
    ASSERT_TRUE(stillOpen.open(QIODevice::ReadOnly));
    ASSERT_TRUE(QFile::rename(root.filePath("resources/themes/A/Shared.rcc"),
                              root.filePath("resources/themes/A/Shared.rcc.old")));
    // Had "A" stayed mounted, its sheet would have been found first.
    lookAndFeel.SetTheme("B");
    EXPECT_EQ(lookAndFeel.GetUnitedStylesheet(), "QWidget { color: blue; } /* B */\n\n\n" + std::string(PRODUCT));
    EXPECT_EQ(stillOpen.readAll(), "QWidget { color: @tone; } /* A */\n") << "a file open at the switch reads on";

    ASSERT_TRUE(QDir(root.filePath("resources/themes/B")).removeRecursively());
    lookAndFeel.SetTheme("");
    EXPECT_FALSE(QFile::exists(":/Shared/style.qss"));
    EXPECT_EQ(log.Count(google::GLOG_ERROR, "/resources/themes/B] doesn't exist!"), 1);
}

// A font that a bundle stores as it is keeps drawing after its theme is switched away
// and the bundle unmounted: widgets made before the switch go on using it.
TEST_F(ThemeSwitching, AFontStoredPlainInABundleStillDrawsAfterItsBundleIsUnmounted)
{
    AddTheme("Light", {"PlainFont"});
    AddTheme("Dark", {"Extra"});
    auto& lookAndFeel = MakeManager();
    lookAndFeel.SetTheme("Light");
    lookAndFeel.SetTheme("Dark");
    ASSERT_FALSE(QFile::exists(":/PlainFont/TalvexTestSans.ttf"));

    QFont font(TALVEX_TEST_FONT_FAMILY);
    font.setPixelSize(32);
    const QRawFont drawn = QRawFont::fromFont(font);
    ASSERT_TRUE(drawn.isValid());
    EXPECT_EQ(drawn.familyName(), TALVEX_TEST_FONT_FAMILY);
    EXPECT_FALSE(drawn.pathForGlyph(drawn.glyphIndexesForString("T").value(0)).isEmpty()) << "its outlines read";
}

// A product following the desktop switches all day: each switch must not keep another
// registration of the same font, nor another copy of a bundle whose bytes are held.
TEST_F(ThemeSwitching, SwitchingBackAndForthRegistersEachFontOnceAndHoldsOneCopyOfItsBundle)
{
    const auto registeredFonts = [] {
        int count = 0;
        for (int id = 0; id < 4096; ++id) {
            count += QFontDatabase::applicationFontFamilies(id).isEmpty() ? 0 : 1;
        }
        return count;
    };
    const char* const font = ":/PlainFont/TalvexTestSans.ttf";
    AddTheme("Light", {"PlainFont"});
    AddTheme("Dark", {"Base"});
    const int before = registeredFonts();
    auto& lookAndFeel = MakeManager();
    lookAndFeel.SetTheme("Light");
    const uchar* const held = QResource(font).data();
    // Held for good whichever bundle the font was first registered from.
    QFile stillOpen(":/PlainFont/fonts.manifest");
    ASSERT_TRUE(stillOpen.open(QIODevice::ReadOnly));
    for (int round = 0; round < 20; ++round) {
        lookAndFeel.SetTheme("Dark");
        lookAndFeel.SetTheme("Light");
    }
    EXPECT_LE(registeredFonts() - before, 1) << "the other theme's bundle holds the same font";
    EXPECT_EQ(QResource(font).data(), held) << "mounted again from the copy held";

    // Registered anew when the product removed it through Qt.
    ASSERT_TRUE(QFontDatabase::removeApplicationFont(Util::FontDatabase::addApplicationFont(font)));
    const int removed = registeredFonts();
    lookAndFeel.SetTheme("Dark");
    EXPECT_EQ(registeredFonts(), removed + 1);
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

} // namespace Talvex::Test
