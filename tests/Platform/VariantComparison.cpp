#include "Platform/Qt/VariantEquality.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using Talvex::QtCompat::ConvertingEquals;

// The expectations are Qt 5's own answers: on Qt 5 ConvertingEquals is operator==, so
// this table is checked against Qt itself there, and against our comparison on Qt 6.
TEST(VariantComparison, ComparesAcrossTypesAsQt5DidConvertingTheRightSideFirst)
{
    const QString text5 = QStringLiteral("5");
    const std::vector<std::tuple<QVariant, QVariant, bool>> cases = {
        {5, text5, true},
        {text5, 5, true},
        {5, QStringLiteral("6"), false},
        {5, QStringLiteral("five"), false},
        {0, QString(), false}, // empty text is no number
        // The right side takes the left side's type: "05" reads as 5, but 5 prints as "5".
        {5, QStringLiteral("05"), true},
        {QStringLiteral("05"), 5, false},
        {true, QStringLiteral("true"), true},
        {1.5, QStringLiteral("1.5"), true},
        {QByteArray("abc"), QStringLiteral("abc"), true},
        {QStringLiteral("abc"), QByteArray("abd"), false},
    };
    for (const auto& [left, right, equal] : cases) {
        EXPECT_EQ(ConvertingEquals(left, right), equal)
            << left.toString().toStdString() << " (" << left.typeName() << ") vs " << right.toString().toStdString()
            << " (" << right.typeName() << ")";
    }
}

TEST(VariantComparison, NumbersCompareByValueAndNothingEqualsAnInvalidValueButAnother)
{
    EXPECT_TRUE(ConvertingEquals(5, static_cast<qlonglong>(5)));
    EXPECT_TRUE(ConvertingEquals(2.0, 2));
    EXPECT_FALSE(ConvertingEquals(2.5, 2));
    EXPECT_TRUE(ConvertingEquals(true, 1));
    EXPECT_FALSE(ConvertingEquals(static_cast<qulonglong>(1) << 40, 0));
    EXPECT_TRUE(ConvertingEquals(QVariant(), QVariant()));
    EXPECT_FALSE(ConvertingEquals(QVariant(), 0));
    EXPECT_FALSE(ConvertingEquals(QString(), QVariant()));
}

} // namespace
