// The quick substitution-file reader must give exactly what Qt's JSON document and
// QVariant give, or leave the file to them.
#include "App/Application/LookAndFeel/SubstitutionFileParser_p.h"
#include "App/Application/LookAndFeel/ThemeFileReader_p.h"
#include "App/Application/LookAndFeel/ZlibInflate_p.h"

#include <QDir>
#include <QMap>
#include <QRandomGenerator>
#include <QResource>

#include <gtest/gtest.h>

namespace {

// The reader built into this suite inflates with the module's entry, linked in here, or
// without the module when a test takes it away.
Talvex::App::ZlibInflateFunction inflater = Talvex::App::talvex_inflate_zlib;

} // namespace

Talvex::App::ZlibInflateFunction Talvex::App::ZlibInflater()
{
    return inflater;
}

namespace {

using Talvex::App::SubstitutionFileParser;
using Talvex::App::ThemeFileReader;

QMap<QString, QString> AsMap(const ThemeFileReader::Entries& entries)
{
    QMap<QString, QString> map;
    for (const auto& [key, text] : entries) {
        map.insert(key, text);
    }
    return map;
}

QMap<QString, QString> Quick(const QByteArray& json)
{
    return AsMap(ThemeFileReader::Parse(json, QStringLiteral("linux"), QStringLiteral("de_DE")));
}

QMap<QString, QString> ByQt(const QByteArray& json)
{
    return AsMap(ThemeFileReader::ParseWithQt(json, QStringLiteral("linux"), QStringLiteral("de_DE")));
}

bool Understood(const QByteArray& json)
{
    return SubstitutionFileParser::Parse(json, QStringLiteral("linux"), QStringLiteral("de_DE")).has_value();
}

const char* const SAMPLE = R"({
  "all_platforms": {
    "all_languages": {"font": "\"Noto Sans\"", "size": 12, "bold": true, "none": null, "list": [1, {"a": []}]},
    "de_DE": {"font": "Arial", "tab": "a\tb\\c\/d"},
    "ru_RU": {"font": "never"}
  },
  "windows": {"all_languages": {"size": 99}},
  "linux": {"all_languages": {"size": -7, "zero": 0}, "de_DE": {"": "empty key"}}
})";

TEST(SubstitutionFileReading, PlainFileReadsAsQtReadsIt)
{
    const QByteArray json(SAMPLE);
    ASSERT_TRUE(Understood(json));
    const QMap<QString, QString> expected = ByQt(json);
    EXPECT_EQ(Quick(json), expected);
    EXPECT_EQ(expected.value(QStringLiteral("@font")), QStringLiteral("Arial"));
    EXPECT_EQ(expected.value(QStringLiteral("@size")), QStringLiteral("-7"));
    EXPECT_EQ(expected.value(QStringLiteral("@tab")), QStringLiteral("a\tb\\c/d"));
}

// Each case is either read the same way or left to Qt, and the reader must not give
// up where it can answer, so that it keeps its worth.
TEST(SubstitutionFileReading, EdgeCasesMatchQtOrAreLeftToIt)
{
    const struct {
        const char* json;
        bool understood;
    } cases[] = {
        {R"({"all_platforms": {"all_languages": {"a": 1, "a": 2}}})", true},
        {R"({"all_platforms": {"all_languages": {"a": 1}}, "all_platforms": {"de_DE": {"b": 2}}})", true},
        {R"({"all_platforms": {"all_languages": {"a": 1}}, "all_platforms": 5})", true},
        {R"({"all_platforms": {"all_languages": {"a": 1}, "all_languages": "x"}})", true},
        {R"({"all_\u0070latforms": {"all_languages": {"a": 1}}})", false},
        {R"({"all\/platforms": {}, "all_platforms": {"all_languages": {"a\"b": "c"}}})", true},
        {R"({"all_platforms": {"all_languages": {"a": -0}}})", false},
        {R"({"all_platforms": {"all_languages": {"b": 1.5, "c": 1e3, "d": 1234567890}}})", false},
        {R"({"all_platforms": {"all_languages": {"a": 01}}})", false},
        {R"({"all_platforms": {"all_languages": {"a": "\x"}}})", false},
        {R"({"all_platforms": {"all_languages": {"a": "\u00e9"}}})", false},
        {"{\"all_platforms\": {\"all_languages\": {\"a\": \"tab\tinside\"}}}", false},
        {R"({"all_platforms": {"all_languages": {"a": 1}}} x)", false},
        {R"({"all_platforms": {"all_languages": {"a": 1,}}})", false},
        {R"([{"all_platforms": {}}])", false},
        {"", false},
        {R"({"x": [[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[1]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]})", false},
        {" \r\n\t{}\r\n", true},
        {R"({"all_platforms": {"all_languages": {"a": tru}}})", false},
    };
    for (const auto& testCase : cases) {
        const QByteArray json(testCase.json);
        EXPECT_EQ(Understood(json), testCase.understood) << testCase.json;
        // What the quick reader leaves to Qt is Qt's answer by construction.
        if (testCase.understood) {
            EXPECT_EQ(Quick(json), ByQt(json)) << testCase.json;
        }
    }
}

// Random damage to a real file: every byte changed, dropped or repeated somewhere.
TEST(SubstitutionFileReading, DamagedFilesMatchQt)
{
    QRandomGenerator random(20261206);
    const QByteArray sample(SAMPLE);
    const QByteArray alphabet("{}[]:,\"\\ 0123456789.-eE+tfnlu/a\t\n\x01\xc3");
    int understood = 0;
    for (int round = 0; round < 4000; ++round) {
        QByteArray json = sample;
        for (int edits = 1 + random.bounded(3); edits > 0; --edits) {
            const int at = random.bounded(json.size());
            switch (random.bounded(3)) {
            case 0:
                json[at] = alphabet[random.bounded(alphabet.size())];
                break;
            case 1:
                json.remove(at, 1 + random.bounded(4));
                break;
            default:
                json.insert(at, json.mid(random.bounded(json.size()), 1 + random.bounded(6)));
            }
        }
        if (Understood(json)) {
            ++understood;
            ASSERT_EQ(Quick(json), ByQt(json)) << json.constData();
        }
    }
    // The comparison means little if every damaged file went to Qt.
    EXPECT_GT(understood, 400);
}

// Compressed theme files are inflated by the reader itself, or by Qt when the inflater
// module is missing; either way the text must be Qt's.
TEST(SubstitutionFileReading, CompressedSheetReadsAsQtInflatesIt)
{
    const QString bundle = QDir(QStringLiteral(TALVEX_TEST_BUNDLES)).filePath(QStringLiteral("Extra.rcc"));
    ASSERT_TRUE(QResource::registerResource(bundle));
    const QString path = QStringLiteral(":/Extra/compressed.qss");
    const QResource resource(path);
    ASSERT_EQ(resource.compressionAlgorithm(), QResource::ZlibCompression);
    QByteArray expected = resource.uncompressedData();
    expected.replace("\r", "");

    for (const auto inflate :
         {Talvex::App::talvex_inflate_zlib, static_cast<Talvex::App::ZlibInflateFunction>(nullptr)}) {
        inflater = inflate;
        QByteArray text;
        ASSERT_TRUE(ThemeFileReader::ReadText(path, text));
        EXPECT_EQ(text, expected) << (inflate ? "module" : "Qt");
        EXPECT_FALSE(text.isEmpty());
    }
    inflater = Talvex::App::talvex_inflate_zlib;
    QResource::unregisterResource(bundle);
}

} // namespace
