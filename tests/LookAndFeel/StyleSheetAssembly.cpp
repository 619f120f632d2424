#include "ThemeFixture.h"

#include "App/Application/LookAndFeel/IQssPreprocessor.h"
#include "App/Application/LookAndFeel/PlaceholderSubstitution.h"

#include <QFontDatabase>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QVariantMap>

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

// The sheet as the plain reading gives it: files read in text mode and decoded up to
// their first NUL (as Qt 5's QString::fromUtf8 of a byte array did), substitution files
// decoded by a text stream and turned into variant maps, one replace per placeholder.
std::string PlainlyAssembled(const App::ILookAndFeelManager::ThemeDescription& description, const QString& locale)
{
    QMap<QString, QString> substitutions;
    for (const std::string& path : description.fontSubstitutionFiles) {
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            continue;
        }
        const QVariantMap top =
            QJsonDocument::fromJson(QTextStream(&file).readAll().toLocal8Bit()).object().toVariantMap();
        for (const QString& platform : {QStringLiteral("all_platforms"), QStringLiteral("linux")}) {
            for (const QString& language : {QStringLiteral("all_languages"), locale}) {
                const QVariantMap names = top.value(platform).toMap().value(language).toMap();
                for (auto it = names.cbegin(); it != names.cend(); ++it) {
                    substitutions.insert('@' + it.key(), it.value().toString());
                }
            }
        }
    }
    QString sheet;
    for (const std::string& path : description.styleSheets) {
        QFile file(QString::fromStdString(path));
        sheet += (file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(file.readAll().constData())
                                                                   : QString()) +
                 '\n';
    }
    App::PlaceholderSubstitution::ApplyByLoop(sheet, substitutions);
    return sheet.toStdString();
}

// Qt 6 made the font database's queries static and deprecated its instances.
QStringList FontFamilies()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QFontDatabase::families();
#else
    return QFontDatabase().families();
#endif
}

} // namespace

using StyleSheetAssembly = ThemeFixture;

// Carriage returns anywhere, text after a NUL, non-ASCII text, a byte-order mark and JSON
// members that are numbers, booleans, null or arrays; then again after a language change
// and after a substitution file changed under the same path.
TEST_F(StyleSheetAssembly, GivesTheSheetOfTextModeReadsAndVariantMapsByteForByte)
{
    WriteFile("crlf.qss", "QWidget {\r\n  font: @font;\r\n  size: @size @ratio @bold @none @list;\r\n}\rlone\r\n");
    const char utf8[] = "QLabel { font-family: @font; color: @color; } /* \xc3\x9c */\n\0after NUL";
    WriteFile("utf8.qss", QByteArray(utf8, sizeof utf8 - 1));
    WriteFile("numbers.json", "{\r\n\"all_platforms\": {\"all_languages\": {\"font\": \"Sans\", \"size\": 12, "
                              "\"ratio\": 1.5, \"bold\": true, \"none\": null, \"list\": [1]}},\r\n"
                              "\"linux\": {\"de_DE\": {\"font\": \"Linux De\"}}}\r\n");
    WriteFile("bom.json", "\xef\xbb\xbf{\"linux\": {\"all_languages\": {\"color\": \"Gr\xc3\xbcn\"}}}");
    App::ILookAndFeelManager::ThemeDescription description;
    description.styleSheets = {root.filePath("crlf.qss").toStdString(), root.filePath("utf8.qss").toStdString()};
    description.fontSubstitutionFiles = {root.filePath("numbers.json").toStdString(),
                                         root.filePath("bom.json").toStdString()};
    ShipLocales({"de_DE"});
    auto& lookAndFeel = MakeManager();

    lookAndFeel.ApplyTheme(description);
    EXPECT_EQ(lookAndFeel.GetUnitedStylesheet(), PlainlyAssembled(description, ""));
    EXPECT_THAT(lookAndFeel.GetUnitedStylesheet(), ::testing::HasSubstr("size: 12 1.5 true  ;"));

    lookAndFeel.SetLocale("de_DE");
    lookAndFeel.ApplyTheme(description);
    EXPECT_EQ(lookAndFeel.GetUnitedStylesheet(), PlainlyAssembled(description, "de_DE"));

    WriteFile("numbers.json", R"({"linux": {"de_DE": {"font": "Changed", "size": false}}})");
    lookAndFeel.ApplyTheme(description);
    EXPECT_EQ(lookAndFeel.GetUnitedStylesheet(), PlainlyAssembled(description, "de_DE"));
    EXPECT_THAT(lookAndFeel.GetUnitedStylesheet(), ::testing::HasSubstr("font: Changed;"));
}

TEST_F(StyleSheetAssembly, JoinsEachBundlesSheetsInNamedOrListedOrderThenTheProductSheets)
{
    AddTheme("Light", {"Base", "Extra"});
    WriteFile("resources/themes/Light/readme.txt", "not a bundle");

    ASSERT_FALSE(FontFamilies().contains(TALVEX_TEST_FONT_FAMILY)) << "the system knows the test font";
    MakeManager({"Base", "Missing", "Extra"}).SetTheme("Light");
    EXPECT_EQ(manager->GetUnitedStylesheet(), BASE + EXTRA + PRODUCT);
    EXPECT_TRUE(FontFamilies().contains(TALVEX_TEST_FONT_FAMILY)) << "the manifest's font is registered";

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
