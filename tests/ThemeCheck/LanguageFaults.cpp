#include "AssembledSheetCheck.h"
#include "CatalogueCheck.h"
#include "CheckReport.h"
#include "ThemeFolderCheck.h"

#include <App/Application/LookAndFeel/LookAndFeelManager.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace Talvex::ThemeCheck {
namespace {

// What depends on the language: placeholders defined for some languages only, and the
// language folders themselves.
class LanguageFaults : public ::testing::Test {
protected:
    LanguageFaults()
    {
        for (const char* folder : {"resources/locales/en_US", "resources/locales/ru_RU", "resources/locales/de_DE.old",
                                   "resources/themes/Partial"}) {
            root.mkpath(QString::fromLatin1(folder));
        }
        Write("resources/themes/Partial/theme.json", "{\"en_US\": \"Partial\", \"ru_RU\": \"Частичная\"}");
        QFile::copy(QStringLiteral(TALVEX_BROKEN_BUNDLES "/Partial.rcc"),
                    root.filePath(QStringLiteral("resources/themes/Partial/Partial.rcc")));
        Write("resources/locales/ru_RU/product_ru_RU.qm", "not a catalogue");
    }
    void Write(const char* path, const QByteArray& text)
    {
        QFile file(root.filePath(QString::fromLatin1(path)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        for (const auto& finding : report.Findings()) {
            lines.push_back(finding.theme + "|" + finding.file + "|" + finding.message);
        }
        return lines;
    }

    QTemporaryDir scratch;
    QDir root{scratch.path()};
    CheckReport report;
};

TEST_F(LanguageFaults, APlaceholderMissingInOneLanguageNamesThatLanguageAndTheFileThatUsesIt)
{
    const auto locales = CatalogueCheck(root.filePath("resources/locales"), {}, report).Run();
    EXPECT_EQ(locales, (std::list<std::string>{"en_US", "ru_RU"}));
    ThemeFolderCheck folders(root.filePath("resources/themes"), "theme.json", {}, report);
    folders.Run(locales);
    App::LookAndFeelManager manager(ioPath(root.path().toStdString()), "theme.json", {});
    AssembledSheetCheck(manager, folders, report).Run();

    EXPECT_EQ(Lines(),
              (std::vector<std::string>{
                  "|locales/de_DE.old|the language folder's name has a dot: the manager would call it 'de_DE'",
                  "|locales/en_US|no translation catalogue: the language shows the source texts",
                  "|locales/ru_RU/product_ru_RU.qm|the catalogue fails to load: no translation catalogue header",
                  // The manager offers "de_DE.old" as "de_DE", and builds the theme in it too.
                  "Partial|Partial.rcc:/Partial/style.qss|placeholder @size is defined nowhere (in de_DE, en_US)"}));
    EXPECT_EQ(report.ErrorCount(), 3);
    EXPECT_TRUE(manager.GetCurrentTheme().empty()) << "the check leaves no theme's bundles registered";
}

// A catalogue that fails through another one names that one and what is wrong with it,
// so the author knows which file to mend. The seed names "catalogue" as its dependency.
TEST_F(LanguageFaults, ACatalogueFailingThroughItsDependencyNamesTheDependencyAndItsFault)
{
    const QString seed =
        QStringLiteral(TALVEX_FUZZ_CORPORA "/TranslationCatalogue/compressed-contexts-and-dependency.qm");
    for (const char* copy : {"loop/de_DE/catalogue.qm", "loop/fr_FR/app.qm", "loop/it_IT/app.qm"}) {
        root.mkpath(QFileInfo(root.filePath(QString::fromLatin1(copy))).path());
        ASSERT_TRUE(QFile::copy(seed, root.filePath(QString::fromLatin1(copy))));
    }
    Write("loop/it_IT/catalogue.qm", "not a catalogue");
    CatalogueCheck(root.filePath("loop"), {}, report).Run();
    const std::string fails = "the catalogue fails to load: ";
    EXPECT_EQ(Lines(),
              (std::vector<std::string>{
                  "|locales/de_DE/catalogue.qm|" + fails +
                      "its dependency 'catalogue': a catalogue being loaded already: the dependencies form a loop",
                  "|locales/fr_FR/app.qm|" + fails + "its dependency 'catalogue': no such file",
                  "|locales/it_IT/app.qm|" + fails + "its dependency 'catalogue': no translation catalogue header",
                  "|locales/it_IT/catalogue.qm|" + fails + "no translation catalogue header"}));
}

} // namespace
} // namespace Talvex::ThemeCheck
