#include <App/Application/LookAndFeel/CatalogueTranslator_p.h>
#include <Platform/Util/ResourceBundleCheck.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace Talvex::ThemeCheck {
namespace {

// The checker is the tool for themes nobody vouches for, so every input the fuzzers
// start from goes through the real program: it must end by itself, report what the
// library would refuse as an error on that very file, and fail the run.
class SeedCorpora : public ::testing::Test {
protected:
    struct Run {
        bool exited = false;
        int status = -1;
        std::string output;
        std::string errors;
    };

    static QStringList Seeds(const char* corpus)
    {
        const QDir folder(QStringLiteral(TALVEX_FUZZ_CORPORA "/") + QLatin1String(corpus));
        QStringList seeds;
        for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
            seeds << folder.filePath(name);
        }
        return seeds;
    }

    void Ship(const QString& seed, const QString& to)
    {
        QDir().mkpath(QFileInfo(resources.filePath(to)).path());
        QFile::remove(resources.filePath(to));
        ASSERT_TRUE(QFile::copy(seed, resources.filePath(to)));
    }

    Run Check()
    {
        QProcess checker;
        checker.start(QStringLiteral(TALVEX_THEME_CHECKER), {resources.path()});
        Run run;
        if (!checker.waitForFinished(30000)) {
            checker.kill();
            checker.waitForFinished();
            return run;
        }
        run.exited = checker.exitStatus() == QProcess::NormalExit;
        run.status = checker.exitCode();
        run.output = checker.readAllStandardOutput().toStdString();
        run.errors = checker.readAllStandardError().toStdString();
        return run;
    }

    QTemporaryDir scratch;
    QDir resources{scratch.filePath(QStringLiteral("resources"))};
};

// A bundle's files are read under ":/" + its name; the seeds that reach those reads keep
// theirs under "/bundle".
TEST_F(SeedCorpora, EveryBundleSeedTheLibraryRefusesIsAnErrorOnThatBundle)
{
    QDir().mkpath(resources.filePath("themes/Seed"));
    QFile description(resources.filePath("themes/Seed/theme.json"));
    ASSERT_TRUE(description.open(QIODevice::WriteOnly) && description.write(R"({"en_US": "Seed"})") > 0);
    description.close();
    const QStringList seeds = Seeds("ResourceBundle");
    ASSERT_FALSE(seeds.isEmpty());
    for (const QString& seed : seeds) {
        Ship(seed, "themes/Seed/bundle.rcc");
        const Run run = Check();
        ASSERT_TRUE(run.exited) << seed.toStdString() << " stopped the checker: " << run.errors;
        const bool refused = !Util::ResourceBundleCheck::IsWellFormedFile(seed);
        const bool named = run.output.find("error: theme 'Seed': Seed/bundle.rcc: the bundle does not open as a "
                                           "compiled resource file: ") != std::string::npos;
        EXPECT_EQ(named, refused) << seed.toStdString() << ":\n" << run.output;
        EXPECT_EQ(run.status, run.output.find("error: ") != std::string::npos ? 1 : 0) << seed.toStdString();
    }
}

// Named as the catalogue fuzzer names its input, so a seed that depends on "catalogue"
// depends on itself. Beside it a sound theme, so that the run fails for the catalogue
// alone.
TEST_F(SeedCorpora, EveryCatalogueSeedTheLibraryRefusesIsAnErrorOnThatCatalogue)
{
    QDir().mkpath(resources.filePath("themes/Seed"));
    QFile description(resources.filePath("themes/Seed/theme.json"));
    ASSERT_TRUE(description.open(QIODevice::WriteOnly) &&
                description.write(R"({"en_US": "Seed", "de_DE": "Seed"})") > 0);
    description.close();
    Ship(QStringLiteral(TALVEX_BROKEN_BUNDLES "/Clean.rcc"), "themes/Seed/Clean.rcc");
    const QStringList seeds = Seeds("TranslationCatalogue");
    ASSERT_FALSE(seeds.isEmpty());
    for (const QString& seed : seeds) {
        Ship(seed, "locales/de_DE/catalogue.qm");
        const Run run = Check();
        ASSERT_TRUE(run.exited) << seed.toStdString() << " stopped the checker: " << run.errors;
        const bool refused = !App::CatalogueTranslator().LoadChecked(resources.filePath("locales/de_DE/catalogue.qm"));
        const bool named =
            run.output.find("error: locales/de_DE/catalogue.qm: the catalogue fails to load: ") != std::string::npos;
        EXPECT_EQ(named, refused) << seed.toStdString() << ":\n" << run.output;
        EXPECT_EQ(run.status, refused ? 1 : 0) << seed.toStdString() << ":\n" << run.output;
    }
}

} // namespace
} // namespace Talvex::ThemeCheck
