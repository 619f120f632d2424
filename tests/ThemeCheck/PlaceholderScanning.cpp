#include "PlaceholderScan.h"

#include <gtest/gtest.h>

namespace Talvex::ThemeCheck {
namespace {

TEST(PlaceholderScanning, FindsEachNameOnceAndSkipsImageNamesAndStrayAts)
{
    const QString sheet = QStringLiteral("QWidget { font: @size \"@font\"; image: url(:/a/icon@2x.png); }\n"
                                         "QLabel { font: @size @font-bold; } /* mail@ */ @_x");
    EXPECT_EQ(PlaceholderScan::Placeholders(sheet), (QStringList{"@size", "@font", "@font-bold", "@_x"}));
}

TEST(PlaceholderScanning, ADefinitionIsUsedWhereverItsTextWouldBeReplaced)
{
    const QSet<QString> definitions{"size", "sizeLarge", "accent", "border"};
    const QStringList sheets{QStringLiteral("QLabel { font-size: @sizeLarge; }"),
                             QStringLiteral("QFrame { color: @accent; }")};
    // "@size" is a prefix of "@sizeLarge", so the manager would replace it there too.
    EXPECT_EQ(PlaceholderScan::Used(definitions, sheets), (QSet<QString>{"size", "sizeLarge", "accent"}));
}

} // namespace
} // namespace Talvex::ThemeCheck
