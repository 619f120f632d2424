#include "ThemeFixture.h"

#include "App/Application/LookAndFeel/IQssPreprocessor.h"

#include <QDir>
#include <QFontDatabase>

#include <gmock/gmock.h>

namespace Talvex::Test {

namespace {

const std::string PRODUCT = "/* product */\n/* product linux */\n";

// Fonts registered from the test font so far; registrations are never undone.
int RegisteredTestFonts()
{
    int count = 0;
    for (int id = 0; id < 1000; ++id) {
        count += QFontDatabase::applicationFontFamilies(id).contains("DejaVu Sans") ? 1 : 0;
    }
    return count;
}

class AppendingPreprocessor : public App::IQssPreprocessor {
public:
    void Process(QString& styleSheet) override
    {
        seen = styleSheet.toStdString();
        styleSheet.append("/* preprocessed */");
    }
    std::string seen;
};

} // namespace

using StyleSheetAssembly = ThemeFixture;

TEST_F(StyleSheetAssembly, JoinsEachBundlesSheetsInNamedOrderThenTheProductSheets)
{
    AddTheme("Light", {"Base", "Extra"});
    auto& lookAndFeel = MakeManager({"Base", "Missing", "Extra"});
    lookAndFeel.SetTheme("Light");

    // "@font" is a prefix of "@fontBold" and sorts first, so it wins inside "@fontBold";
    // Extra's fonts.json comes later and overrides Base's "fontBold".
    EXPECT_EQ(lookAndFeel.GetUnitedStylesheet(), "QWidget { font-family: Base Sans; font-size: 11pt; }\n"
                                                 "QLabel { font-family: Base SansBold; }\n"
                                                 "QPushButton { color: red; }\n"
                                                 "QPushButton { font-family: Base Sans; }\n" +
                                                     PRODUCT);
}

TEST_F(StyleSheetAssembly, BundleOrderFollowsResourceNamesOrTheFolderListing)
{
    AddTheme("Light", {"Base", "Extra"});
    WriteFile("resources/themes/Light/readme.txt", "not a bundle");
    const std::string base = "QWidget { font-family: Base Sans; font-size: 11pt; }\n"
                             "QLabel { font-family: Base SansBold; }\n";
    const std::string extra = "QPushButton { color: red; }\nQPushButton { font-family: Base Sans; }\n";

    MakeManager({"Extra", "Base"}).SetTheme("Light");
    EXPECT_EQ(manager->GetUnitedStylesheet(), extra + base + PRODUCT);

    MakeManager().SetTheme("Light");
    const QStringList listing = QDir(ThemeFolder("Light")).entryList({"*.rcc"}, QDir::Files, QDir::NoSort);
    ASSERT_EQ(listing.size(), 2);
    EXPECT_EQ(manager->GetUnitedStylesheet(), (listing.first() == "Base.rcc" ? base + extra : extra + base) + PRODUCT);
}

TEST_F(StyleSheetAssembly, PlatformAndLocaleSubstitutionsOverrideTheGeneralOnes)
{
    AddTheme("Light", {"Base"});
    auto& lookAndFeel = MakeManager();

    lookAndFeel.Initialize("en_US", "Light");
    EXPECT_EQ(lookAndFeel.GetUnitedStylesheet(), "QWidget { font-family: Base Sans; font-size: 11pt; }\n"
                                                 "QLabel { font-family: Base SansBold; }\n" +
                                                     PRODUCT);

    lookAndFeel.SetLocale("ru_RU");
    lookAndFeel.SetTheme(lookAndFeel.GetCurrentTheme());
    EXPECT_EQ(lookAndFeel.GetUnitedStylesheet(), "QWidget { font-family: Linux Ru; font-size: 11pt; }\n"
                                                 "QLabel { font-family: Linux RuBold; }\n" +
                                                     PRODUCT);
}

TEST_F(StyleSheetAssembly, UnusableSubstitutionFilesAndBundlesAddNothingButEmptyLines)
{
    AddTheme("Light", {"BadJson", "NotObjects"});
    WriteFile("resources/themes/Light/Fake.rcc", "this is not a compiled resource file");
    auto& lookAndFeel = MakeManager({"BadJson", "NotObjects", "Fake"});
    lookAndFeel.SetTheme("Light");

    // Neither bundle has a platform sheet, and Fake has nothing at all: one empty line each.
    EXPECT_EQ(lookAndFeel.GetUnitedStylesheet(), "QFrame { font-family: @font; }\n\n"
                                                 "QFrame { font-family: @font; }\n\n\n\n" +
                                                     PRODUCT);
    EXPECT_THAT(observer.events, ::testing::ElementsAre("theme:Light"));
}

TEST_F(StyleSheetAssembly, ThemeFontsAreRegisteredOnEveryApply)
{
    AddTheme("Light", {"Base"});
    auto& lookAndFeel = MakeManager();
    const int before = RegisteredTestFonts();

    lookAndFeel.SetTheme("Light");
    EXPECT_EQ(RegisteredTestFonts(), before + 1);
    EXPECT_TRUE(QFontDatabase().families().contains("DejaVu Sans"));

    lookAndFeel.SetTheme("Light");
    EXPECT_EQ(RegisteredTestFonts(), before + 2);
}

TEST_F(StyleSheetAssembly, PreprocessorSeesTheSubstitutedSheetAndRunsFromTheNextApplyOn)
{
    AddTheme("Light", {"Extra"});
    auto& lookAndFeel = MakeManager();
    lookAndFeel.SetTheme("Light");
    const auto preprocessor = std::make_shared<AppendingPreprocessor>();

    lookAndFeel.SetQssPreprocessor(preprocessor);
    EXPECT_TRUE(preprocessor->seen.empty());

    App::ILookAndFeelManager::ThemeDescription description;
    description.styleSheets = {":/Extra/fonts_linux.qss", ":/nowhere.qss"};
    description.fontSubstitutionFiles = {":/nowhere.json", ":/Extra/fonts.json"};
    description.fontManifests = {":/nowhere.manifest"};
    lookAndFeel.ApplyTheme(description);

    EXPECT_EQ(preprocessor->seen, "QPushButton { font-family: @font; }\n\n");
    EXPECT_EQ(lookAndFeel.GetUnitedStylesheet(), preprocessor->seen + "/* preprocessed */");
    EXPECT_THAT(observer.events, ::testing::ElementsAre("theme:Light"));
}

TEST_F(StyleSheetAssembly, ReplacementHoldingALaterPlaceholderIsResolvedInKeyOrder)
{
    WriteFile("chain.json", R"({"all_platforms": {"all_languages": {"a": "@b", "b": "B", "z": "@b"}}})");
    WriteFile("chain.qss", "x: @a; y: @z;");
    auto& lookAndFeel = MakeManager();
    App::ILookAndFeelManager::ThemeDescription description;
    description.styleSheets = {root.filePath("chain.qss").toStdString()};
    description.fontSubstitutionFiles = {root.filePath("chain.json").toStdString()};

    lookAndFeel.ApplyTheme(description);

    // "@a" becomes "@b" before "@b" has its turn; "@z" comes after it, so its "@b" stays.
    EXPECT_EQ(lookAndFeel.GetUnitedStylesheet(), "x: B; y: @b;\n");
}

} // namespace Talvex::Test
