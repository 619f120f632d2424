#include "ThemeFixture.h"

#include "App/Application/LookAndFeel/IQssPreprocessor.h"

#include <QFontDatabase>

namespace Talvex::Test {

namespace {

// "@font" is a prefix of "@fontBold" and sorts first, so it wins inside "@fontBold";
// Extra's fonts.json comes later and overrides Base's "fontBold".
const std::string BASE =
    "QWidget { font-family: Base Sans; font-size: 11pt; }\nQLabel { font-family: Base SansBold; }\n";
const std::string EXTRA = "QPushButton { color: red; }\nQPushButton { font-family: Base Sans; }\n";

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

TEST_F(StyleSheetAssembly, JoinsEachBundlesSheetsInNamedOrListedOrderThenTheProductSheets)
{
    AddTheme("Light", {"Base", "Extra"});
    WriteFile("resources/themes/Light/readme.txt", "not a bundle");

    ASSERT_FALSE(QFontDatabase().families().contains(TALVEX_TEST_FONT_FAMILY)) << "the system knows the test font";
    MakeManager({"Base", "Missing", "Extra"}).SetTheme("Light");
    EXPECT_EQ(manager->GetUnitedStylesheet(), BASE + EXTRA + PRODUCT);
    EXPECT_TRUE(QFontDatabase().families().contains(TALVEX_TEST_FONT_FAMILY)) << "the manifest's font is registered";

    MakeManager({"Extra", "Base"}).SetTheme("Light");
    EXPECT_EQ(manager->GetUnitedStylesheet(), EXTRA + BASE + PRODUCT);

    MakeManager().SetTheme("Light");
    const QStringList listing =
        QDir(root.filePath("resources/themes/Light")).entryList({"*.rcc"}, QDir::Files, QDir::NoSort);
    EXPECT_EQ(manager->GetUnitedStylesheet(), (listing.first() == "Base.rcc" ? BASE + EXTRA : EXTRA + BASE) + PRODUCT);
}

TEST_F(StyleSheetAssembly, PlatformAndLocaleSubstitutionsOverrideTheGeneralOnes)
{
    AddTheme("Light", {"Base"});
    ShipLocales({"ru_RU"});
    auto& lookAndFeel = MakeManager();
    lookAndFeel.Initialize("ru_RU", "Light");
    EXPECT_EQ(lookAndFeel.GetUnitedStylesheet(), "QWidget { font-family: Linux Ru; font-size: 11pt; }\n"
                                                 "QLabel { font-family: Linux RuBold; }\n" +
                                                     std::string(PRODUCT));
}

TEST_F(StyleSheetAssembly, UnusableSubstitutionFilesAndBundlesAddNothingButEmptyLines)
{
    AddTheme("Light", {"BadJson", "NotObjects"});
    WriteFile("resources/themes/Light/Fake.rcc", "this is not a compiled resource file");
    MakeManager({"BadJson", "NotObjects", "Fake"}).SetTheme("Light");

    // Neither bundle has a platform sheet, and Fake has nothing at all: one empty line each.
    EXPECT_EQ(manager->GetUnitedStylesheet(),
              "QFrame { font-family: @font; }\n\nQFrame { font-family: @font; }\n\n\n\n" + std::string(PRODUCT));
    EXPECT_THAT(observer.events, ::testing::ElementsAre("theme:Light"));
}

TEST_F(StyleSheetAssembly, PreprocessorSeesTheSubstitutedSheetFromTheNextApplyOn)
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
}

TEST_F(StyleSheetAssembly, ReplacementHoldingALaterPlaceholderIsResolvedInKeyOrder)
{
    WriteFile("chain.json", R"({"all_platforms": {"all_languages": {"a": "@b", "b": "B", "z": "@b"}}})");
    WriteFile("chain.qss", "x: @a; y: @z;");
    App::ILookAndFeelManager::ThemeDescription description;
    description.styleSheets = {root.filePath("chain.qss").toStdString()};
    description.fontSubstitutionFiles = {root.filePath("chain.json").toStdString()};
    MakeManager().ApplyTheme(description);

    // "@a" becomes "@b" before "@b" has its turn; "@z" comes after it, so its "@b" stays.
    EXPECT_EQ(manager->GetUnitedStylesheet(), "x: B; y: @b;\n");
}

} // namespace Talvex::Test
