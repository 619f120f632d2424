#include "CheckReport.h"
#include "ThemeFolderCheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace Talvex::ThemeCheck {
namespace {

// Faults that keep the look-and-feel manager from loading a theme at all, checked on
// the folder alone.
class FolderFaults : public ::testing::Test {
protected:
    void Write(const QString& path, const QByteArray& text)
    {
        QDir().mkpath(QFileInfo(themes.filePath(path)).path());
        QFile file(themes.filePath(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    void CopyBundle(const char* name, const QString& to)
    {
        QDir().mkpath(QFileInfo(themes.filePath(to)).path());
        ASSERT_TRUE(QFile::copy(QStringLiteral(TALVEX_BROKEN_BUNDLES "/") + name, themes.filePath(to)));
    }
    // The messages reported about `file`, in order.
    std::vector<std::string> About(const std::string& file) const
    {
        std::vector<std::string> messages;
        for (const auto& finding : report.Findings()) {
            if (finding.file == file) {
                messages.push_back(finding.message);
            }
        }
        return messages;
    }
    void Run(const std::list<std::string>& bundles = {})
    {
        ThemeFolderCheck(themes.path(), "theme.json", bundles, report).Run({"en_US"});
    }

    QTemporaryDir scratch;
    QDir themes{scratch.path()};
    CheckReport report;
};

TEST_F(FolderFaults, UnreadableDescriptionsBundlesAndSubstitutionsAreNamed)
{
    Write("Plain/theme.json", "{\"en_US\": ");
    Write("Plain/Plain.rcc", "not a resource file");
    Write("Titled/theme.json", "{\"en_US\": \"Titled\"}");
    CopyBundle("Broken.rcc", "Titled/Broken.v2.rcc");
    Write("Empty/theme.json", "{\"en_US\": \"\"}");
    Run();
    ASSERT_EQ(About("Plain/theme.json").size(), 1u);
    EXPECT_EQ(About("Plain/theme.json")[0].rfind("the description does not parse", 0), 0u);
    EXPECT_EQ(About("Plain/Plain.rcc"), std::vector<std::string>{"the bundle does not open as a compiled resource "
                                                                 "file: no resource bundle header"});
    // Named "Broken" by the manager, which then finds its files under :/Broken/ after all.
    EXPECT_EQ(About("Titled/Broken.v2.rcc"),
              std::vector<std::string>{"the bundle's name has a dot: the manager reads it under :/Broken/"});
    EXPECT_EQ(About("Empty/theme.json"), std::vector<std::string>{"no title for the shipped language en_US"});
    EXPECT_EQ(About("Empty"), std::vector<std::string>{"no resource bundle (*.rcc) in the theme's folder"});
    EXPECT_EQ(report.ErrorCount(), 6);
}

TEST_F(FolderFaults, NamedBundlesThatAreMissingAreErrorsAndOthersAreLeftAlone)
{
    Write("Dark/theme.json", "{\"en_US\": \"Dark\"}");
    CopyBundle("Broken.rcc", "Dark/Broken.rcc");
    Write("Dark/Unlisted.rcc", "not read: the product does not name it");
    Run({"Broken", "Extras"});
    EXPECT_EQ(About("Dark/Extras.rcc"), std::vector<std::string>{"the bundle is missing"});
    EXPECT_TRUE(About("Dark/Unlisted.rcc").empty());
    EXPECT_EQ(report.ErrorCount(), 2) << "Extras missing, and Broken's font that does not register";
}

} // namespace
} // namespace Talvex::ThemeCheck
