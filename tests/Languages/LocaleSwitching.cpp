#include "LanguageFixture.h"

#include <QRandomGenerator>

using ::testing::ElementsAre;

namespace Talvex::Test {

using LocaleSwitching = LanguageFixture;

TEST_F(LocaleSwitching, NewLanguageReplacesTheOldCataloguesAndIsAnnouncedOnce)
{
    Ship("de_DE", {"app_de_DE"});
    Ship("ru_RU", {"app_ru_RU"});
    auto& lookAndFeel = MakeManager();
    ASSERT_EQ(Tr("Open"), "Open");

    lookAndFeel.SetLocale("de_DE");
    lookAndFeel.SetLocale("de_DE");
    EXPECT_EQ(lookAndFeel.GetCurrentLocale(), "de_DE");
    EXPECT_EQ(Tr("Open"), QString::fromUtf8("Öffnen"));
    EXPECT_THAT(observer.locales, ElementsAre("de_DE")) << "setting the current language again does nothing";

    lookAndFeel.SetLocale("ru_RU");
    EXPECT_EQ(Tr("Open"), QString::fromUtf8("Открыть"));
    EXPECT_EQ(Tr("Only German"), "Only German") << "the German catalogue is no longer installed";
    EXPECT_THAT(observer.locales, ElementsAre("de_DE", "ru_RU"));

    manager.reset();
    EXPECT_EQ(Tr("Open"), "Open") << "the manager's translators leave with it";
}

TEST_F(LocaleSwitching, NamedCataloguesLoadInOrderAndTheLaterOneWins)
{
    Ship("fr_FR", {"A_fr_FR", "B_fr_FR", "C_fr_FR"});
    MakeManager({"A", "Missing", "B"}).SetLocale("fr_FR");
    EXPECT_EQ(Tr("Open"), "Ouvrir (B)");
    EXPECT_EQ(Tr("Close"), "Fermer") << "A is installed too, behind B";

    MakeManager({"C", "A"});
    manager->SetLocale("fr_FR");
    EXPECT_EQ(Tr("Open"), "Ouvrir (A)");
}

TEST_F(LocaleSwitching, WithoutNamesEveryCatalogueOfTheFolderIsInstalled)
{
    Ship("fr_FR", {"A_fr_FR", "B_fr_FR"});
    ASSERT_TRUE(QDir(root.path()).mkpath("resources/locales/fr_FR/folder.qm"));
    MakeManager().SetLocale("fr_FR");
    EXPECT_EQ(Tr("Close"), "Fermer");
    EXPECT_TRUE(Tr("Open") == "Ouvrir (A)" || Tr("Open") == "Ouvrir (B)");
}

// Broken catalogues are skipped; the language still becomes current and is announced.
TEST_F(LocaleSwitching, UnusableFoldersAndCataloguesStillMakeTheLanguageCurrent)
{
    QFile good(QStringLiteral(TALVEX_TEST_CATALOGUES "/app_de_DE.qm"));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray catalogue = good.readAll();
    QByteArray noise(4096, '\0');
    QRandomGenerator generator(20261206);
    for (char& byte : noise) {
        byte = char(generator.bounded(256));
    }
    Ship("de_DE");
    Ship("ru_RU");
    Ship("it_IT");
    Ship("templates.old");
    for (int length : {catalogue.size() / 2, catalogue.size() - 3, 16, 0}) {
        QFile truncated(root.filePath(QStringLiteral("resources/locales/de_DE/cut%1.qm").arg(length)));
        ASSERT_TRUE(truncated.open(QIODevice::WriteOnly));
        truncated.write(catalogue.left(length));
    }
    QFile random(root.filePath("resources/locales/ru_RU/random.qm"));
    ASSERT_TRUE(random.open(QIODevice::WriteOnly));
    random.write(noise);
    random.close();
    auto& lookAndFeel = MakeManager();
    ASSERT_EQ(lookAndFeel.GetLocales().size(), 4u);

    for (const char* locale : {"de_DE", "ru_RU", "it_IT", "templates"}) {
        lookAndFeel.SetLocale(locale);
        EXPECT_EQ(lookAndFeel.GetCurrentLocale(), locale);
    }
    EXPECT_EQ(Tr("Open"), "Open") << "whatever a damaged catalogue gave has been taken out again";
    ASSERT_TRUE(QDir(root.filePath("resources/locales/it_IT")).removeRecursively());
    lookAndFeel.SetLocale("it_IT");
    EXPECT_EQ(lookAndFeel.GetCurrentLocale(), "it_IT") << "a folder gone since discovery";
    EXPECT_THAT(observer.locales, ElementsAre("de_DE", "ru_RU", "it_IT", "templates", "it_IT"));
}

} // namespace Talvex::Test
