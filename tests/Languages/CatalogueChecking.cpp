#include "LanguageFixture.h"
#include "Platform/Util/TranslationCatalogueCheck.h"

#include <QDirIterator>
#include <QRandomGenerator>
#include <QTranslator>
#include <QtEndian>

using Talvex::Util::TranslationCatalogueCheck;

namespace Talvex::Test {
namespace {

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Where the data of the section with `tag` starts, 0 when there is none.
int SectionData(const QByteArray& catalogue, uchar tag)
{
    for (int at = 16; at + 5 <= catalogue.size();) {
        const int length = qFromBigEndian<qint32>(catalogue.constData() + at + 1);
        if (uchar(catalogue[at]) == tag) {
            return at + 5;
        }
        at += 5 + length;
    }
    return 0;
}

QByteArray With32(QByteArray bytes, int at, quint32 value)
{
    qToBigEndian(value, bytes.data() + at);
    return bytes;
}

// What a language switch does with a catalogue the check let through; the sanitizer
// build turns any read outside the catalogue into a failure.
void LoadAndTranslate(const QByteArray& catalogue)
{
    QStringList dependencies;
    const QByteArray loadable = TranslationCatalogueCheck::Loadable(catalogue, dependencies);
    QTranslator translator;
    if (translator.load(reinterpret_cast<const uchar*>(loadable.constData()), loadable.size())) {
        for (const char* context : {"Sample", "Other", "Nowhere"}) {
            translator.translate(context, "Open");
            translator.translate(context, "Close", "window");
            translator.translate(context, "%n file(s)", nullptr, 5);
        }
    }
}

const uchar HASHES = 0x42;
const uchar MESSAGES = 0x69;
const uchar CONTEXTS = 0x2f;
const uchar NUMERUS_RULES = 0x88;

} // namespace

TEST(CatalogueChecking, EveryCatalogueLreleaseMakesPassesAndLoads)
{
    int checked = 0;
    for (const char* folder : {TALVEX_TEST_CATALOGUES, TALVEX_TEST_CATALOGUE_VARIANTS}) {
        for (QDirIterator it(QString::fromUtf8(folder), {QStringLiteral("*.qm")}, QDir::Files); it.hasNext();) {
            const QByteArray catalogue = Read(it.next());
            QString problem;
            EXPECT_TRUE(TranslationCatalogueCheck::IsWellFormed(catalogue, &problem))
                << it.fileName().toStdString() << ": " << problem.toStdString();
            QStringList dependencies;
            const QByteArray loadable = TranslationCatalogueCheck::Loadable(catalogue, dependencies);
            QTranslator translator;
            EXPECT_TRUE(translator.load(reinterpret_cast<const uchar*>(loadable.constData()), loadable.size()))
                << it.fileName().toStdString();
            ++checked;
        }
    }
    EXPECT_GE(checked, 40) << "the plain, compressed and reduced builds of every catalogue source";
}

// The compressed build carries every section the translator reads: hashes, messages,
// contexts and plural rules.
TEST(CatalogueChecking, DamagedOffsetsAndRecordsAreRefused)
{
    const QByteArray catalogue = Read(TALVEX_TEST_CATALOGUE_VARIANTS "/dependent_ru_RU.compress.qm");
    const int hashes = SectionData(catalogue, HASHES);
    const int messages = SectionData(catalogue, MESSAGES);
    const int contexts = SectionData(catalogue, CONTEXTS);
    const int rules = SectionData(catalogue, NUMERUS_RULES);
    ASSERT_TRUE(hashes && messages && contexts && rules);
    const quint32 messagesSize = qFromBigEndian<quint32>(catalogue.constData() + messages - 4);

    QByteArray unended = catalogue;
    unended[messages + int(messagesSize) - 1] = 0x08;
    QByteArray badRule = catalogue;
    badRule[rules] = char(0x07);
    const std::pair<const char*, QByteArray> damaged[] = {
        {"hash past the messages", With32(catalogue, hashes + 4, messagesSize)},
        {"hash inside a record", With32(catalogue, hashes + 4, 1)},
        {"last record unended", unended},
        {"context table empty", With32(catalogue, contexts, 0)},
        {"context table larger than its section", With32(catalogue, contexts, 0xfff00000)},
        {"unknown plural operator", badRule},
        {"section longer than the file", With32(catalogue, hashes - 4, 0x7fffffff)},
        {"no header", catalogue.mid(1)},
    };
    for (const auto& [what, bytes] : damaged) {
        EXPECT_FALSE(TranslationCatalogueCheck::IsWellFormed(bytes)) << what;
        QStringList dependencies;
        EXPECT_TRUE(TranslationCatalogueCheck::Loadable(bytes, dependencies).isEmpty()) << what;
    }
}

TEST(CatalogueChecking, CutOrFlippedCataloguesThatPassAreSafeToTranslateWith)
{
    const QByteArray catalogue = Read(TALVEX_TEST_CATALOGUE_VARIANTS "/dependent_ru_RU.compress.qm");
    ASSERT_GT(catalogue.size(), 100);
    int refused = 0;
    for (int size = 0; size < catalogue.size(); ++size) {
        if (!TranslationCatalogueCheck::IsWellFormed(catalogue.left(size))) {
            ++refused;
            continue;
        }
        LoadAndTranslate(catalogue.left(size));
    }
    QRandomGenerator random(20261206);
    for (int round = 0; round < 2000; ++round) {
        QByteArray damaged = catalogue;
        for (int flips = 1 + random.bounded(3); flips > 0; --flips) {
            damaged.data()[random.bounded(damaged.size())] ^= char(1 << random.bounded(8));
        }
        if (!TranslationCatalogueCheck::IsWellFormed(damaged)) {
            ++refused;
            continue;
        }
        LoadAndTranslate(damaged);
    }
    EXPECT_GT(refused, catalogue.size());
}

using CatalogueDependencies = LanguageFixture;

// Qt would load dependencies itself, unchecked, and recurse without end on a catalogue
// that depends on itself; they are loaded checked, and searched after the catalogue.
TEST_F(CatalogueDependencies, AreLoadedBesideTheCatalogueAndLoopsOrGapsFailIt)
{
    Ship("ru_RU", {"dependent_ru_RU", "app_ru_RU", "loop_ru_RU"});
    MakeManager({"dependent"}).SetLocale("ru_RU");
    EXPECT_EQ(Tr("Close"), QString::fromUtf8("Закрыть"));
    EXPECT_EQ(Tr("Open"), QString::fromUtf8("Открыть")) << "from the dependency";
    EXPECT_EQ(QCoreApplication::translate("Sample", "%n file(s)", nullptr, 3), QString::fromUtf8("3 файла"));

    MakeManager({"loop"}).SetLocale("ru_RU");
    EXPECT_EQ(Tr("Close"), "Close") << "a catalogue depending on itself is not loaded";

    ASSERT_TRUE(QFile::remove(Path("resources/locales/ru_RU/app_ru_RU.qm")));
    MakeManager({"dependent"}).SetLocale("ru_RU");
    EXPECT_EQ(Tr("Close"), "Close") << "nor one whose dependency is missing";
}

} // namespace Talvex::Test
