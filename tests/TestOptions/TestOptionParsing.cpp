#include "App/Application/TestOptionParser.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

namespace Talvex::Test {
namespace {

using App::TestOptionParser;
using App::TestOptionValues;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

QStringList Line(std::initializer_list<const char*> arguments)
{
    QStringList line{QStringLiteral("product")};
    for (const char* argument : arguments) {
        line << QString::fromUtf8(argument);
    }
    return line;
}

TEST(TestOptionParsing, ReadsEveryOptionAmongTheProductsOwnArgumentsWithoutAnError)
{
    const TestOptionValues values = TestOptionParser::ParseLibraryOptions(
        Line({"movie.mp4", "--product-switch", "-x", "--test-locale", "de_DE", "--test-urls-log", "more.mp4",
              "--test-start-delay=250", "--test-crash-timeout=1.5", "--test-list-urls", "--test-open-urls",
              "--test-output-dir=out", "--", "--test-help"}));
    EXPECT_EQ(values.locale, QStringLiteral("de_DE"));
    EXPECT_TRUE(values.urlsLog);
    EXPECT_TRUE(values.urlsLogFile.isEmpty()) << "an optional value never comes from the next argument";
    EXPECT_EQ(values.startDelayMs, 250);
    EXPECT_EQ(values.crashTimeout.count(), 1500);
    EXPECT_TRUE(values.listUrls && values.openUrls);
    EXPECT_EQ(values.outputDir, QDir(QStringLiteral("out")).absolutePath());
    EXPECT_FALSE(values.help) << "nothing after \"--\" is an option";
    EXPECT_EQ(values.given.value(QStringLiteral("test-locale")), QStringLiteral("de_DE"));
    EXPECT_THAT(values.errors, ::testing::IsEmpty());

    const TestOptionValues named = TestOptionParser::ParseLibraryOptions(Line({"--test-urls-log=/logs/links.txt"}));
    EXPECT_EQ(named.urlsLogFile, QStringLiteral("/logs/links.txt"));
}

TEST(TestOptionParsing, ValueLeftOutBeforeAnotherOptionLeavesThatOptionToBeReadAsItself)
{
    const TestOptionValues values = TestOptionParser::ParseLibraryOptions(
        Line({"--test-locale", "--test-help", "--test-start-delay", "--test-crash-timeout=5", "--test-output-dir", "-x",
              "--test-list-urls"}));
    EXPECT_TRUE(values.locale.isEmpty());
    EXPECT_TRUE(values.help);
    EXPECT_EQ(values.startDelayMs, 0);
    EXPECT_EQ(values.crashTimeout.count(), 5000);
    EXPECT_TRUE(values.outputDir.isEmpty());
    EXPECT_TRUE(values.listUrls);
    EXPECT_THAT(values.errors, UnorderedElementsAre(HasSubstr("--test-locale needs a value"),
                                                    HasSubstr("--test-start-delay needs a value"),
                                                    HasSubstr("--test-output-dir needs a value")));

    const QList<QCommandLineOption> product{
        QCommandLineOption({QStringLiteral("l"), QStringLiteral("label")}, QStringLiteral("A label."),
                           QStringLiteral("TEXT")),
        QCommandLineOption(QStringLiteral("offset"), QStringLiteral("An offset."), QStringLiteral("N"))};
    App::Errors errors;
    const QHash<QString, QString> given =
        TestOptionParser::ParseProductOptions(Line({"-l", "--test-help", "--label", "-"}), product, errors);
    EXPECT_EQ(given.value(QStringLiteral("label")), QStringLiteral("-")) << "a lone dash is a value";
    EXPECT_THAT(errors, ElementsAre(HasSubstr("-l needs a value")));

    for (const char* number : {"-5", "-.5"}) {
        App::Errors numberErrors;
        const QHash<QString, QString> offset =
            TestOptionParser::ParseProductOptions(Line({"--offset", number}), product, numberErrors);
        EXPECT_EQ(offset.value(QStringLiteral("offset")), QString::fromUtf8(number)) << "a negative number is a value";
        EXPECT_THAT(numberErrors, ::testing::IsEmpty());
    }
}

struct Malformed {
    const char* argument;
    const char* option;
};

void PrintTo(const Malformed& malformed, std::ostream* out)
{
    *out << malformed.argument;
}

class MalformedValue : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedValue, IsReportedOnceAndIgnored)
{
    const TestOptionValues values =
        TestOptionParser::ParseLibraryOptions(Line({"--product-switch", GetParam().argument}));
    EXPECT_THAT(values.errors, ElementsAre(HasSubstr(GetParam().option)));
    EXPECT_TRUE(values.given.isEmpty());
    const TestOptionValues none;
    EXPECT_TRUE(std::tie(values.outputDir, values.urlsLog, values.listUrls, values.openUrls, values.locale,
                         values.startDelayMs,
                         values.crashTimeout) == std::tie(none.outputDir, none.urlsLog, none.listUrls, none.openUrls,
                                                          none.locale, none.startDelayMs, none.crashTimeout));
}

INSTANTIATE_TEST_SUITE_P(TestOptionParsing, MalformedValue,
                         ::testing::Values(Malformed{"--test-start-delay=abc", "--test-start-delay"},
                                           Malformed{"--test-start-delay=-5", "--test-start-delay"},
                                           Malformed{"--test-crash-timeout=soon", "--test-crash-timeout"},
                                           Malformed{"--test-crash-timeout=0", "--test-crash-timeout"},
                                           Malformed{"--test-crash-timeout=inf", "--test-crash-timeout"},
                                           Malformed{"--test-urls-log=", "--test-urls-log"},
                                           Malformed{"--test-locale=", "--test-locale"},
                                           Malformed{"--test-locale", "--test-locale"},
                                           Malformed{"--test-output-dir=", "--test-output-dir"},
                                           Malformed{"--test-list-urls=yes", "--test-list-urls"},
                                           Malformed{"--test-open-urls", "--test-open-urls"}));

TEST(TestOptionParsing, ProductOptionsAreReadAndListedButMayNotReuseALibraryName)
{
    const QList<QCommandLineOption> options{
        QCommandLineOption({QStringLiteral("l"), QStringLiteral("label")}, QStringLiteral("A label."),
                           QStringLiteral("TEXT")),
        QCommandLineOption(QStringLiteral("test-locale"), QStringLiteral("Clashes."), QStringLiteral("NAME")),
        QCommandLineOption(QStringLiteral("label"), QStringLiteral("Taken twice."))};
    App::Errors errors;
    const QHash<QString, QString> given = TestOptionParser::ParseProductOptions(
        Line({"--test-urls-log", "--label=tour", "--test-locale=de_DE", "--unknown"}), options, errors);
    EXPECT_EQ(given.value(QStringLiteral("l")), QStringLiteral("tour"));
    EXPECT_EQ(given.value(QStringLiteral("label")), QStringLiteral("tour"));
    EXPECT_FALSE(given.contains(QStringLiteral("test-locale")));
    EXPECT_THAT(errors, ElementsAre(HasSubstr("--test-locale=NAME reuses a name"), HasSubstr("--label reuses a name")));
    const std::string help = TestOptionParser::HelpText(options).toStdString();
    EXPECT_THAT(help, ::testing::ContainsRegex("Product test options:\n  -l, --label=TEXT +A label.\n$"))
        << "refused options are not offered";
}

// The README's table is what test engineers read; it must say what --test-help says.
TEST(TestOptionParsing, ReadmeTableMatchesTheHelp)
{
    QFile readme(QStringLiteral(TALVEX_README));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly | QIODevice::Text));
    const QRegularExpression row(QStringLiteral("^\\| `(--test-[^`]+)` \\| (.+) \\|$"));
    QStringList fromReadme;
    for (const QString& line : QString::fromUtf8(readme.readAll()).split(QLatin1Char('\n'))) {
        const auto match = row.match(line);
        if (match.hasMatch()) {
            fromReadme << match.captured(1) + QLatin1Char(' ') + match.captured(2);
        }
    }
    QStringList fromHelp;
    const QRegularExpression helpRow(QStringLiteral("^  (--test-\\S+) +(.+)$"));
    for (const QString& line : TestOptionParser::HelpText({}).split(QLatin1Char('\n'))) {
        const auto match = helpRow.match(line);
        if (match.hasMatch()) {
            fromHelp << match.captured(1) + QLatin1Char(' ') + match.captured(2);
        }
    }
    EXPECT_EQ(fromReadme.join(QLatin1Char('\n')).toStdString(), fromHelp.join(QLatin1Char('\n')).toStdString());
    EXPECT_EQ(fromHelp.size(), 8);
}

} // namespace
} // namespace Talvex::Test
