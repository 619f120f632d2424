#include "LanguageFixture.h"

using ::testing::ElementsAre;

namespace Talvex::Test {

using LocaleSwitching = LanguageFixture;

TEST_F(LocaleSwitching, NewLanguageReplacesTheOldCataloguesAndIsAnnouncedOnce)
{
    Ship("de_DE", {"app_de_DE"});
    Ship("ru_RU", {"app_ru_RU"});
    auto& lookAndFeel = MakeManager();
    lookAndFeel.SetLocale("de_DE");
    lookAndFeel.SetLocale("de_DE");
    EXPECT_EQ(Tr("Open"), QString::fromUtf8("Öffnen"));
    EXPECT_THAT(told, ElementsAre("de_DE")) << "setting the current language again does nothing";

    lookAndFeel.SetLocale("ru_RU");
    EXPECT_EQ(Tr("Open"), QString::fromUtf8("Открыть"));
    EXPECT_EQ(Tr("Only German"), "Only German") << "the German catalogue is gone";
    EXPECT_THAT(told, ElementsAre("de_DE", "ru_RU"));
    manager.reset();
    EXPECT_EQ(Tr("Open"), "Open") << "the translators leave with the manager";
}

TEST_F(LocaleSwitching, NamedCataloguesLoadInOrderAndTheLaterOneWins)
{
    Ship("fr_FR", {"A_fr_FR", "B_fr_FR", "C_fr_FR"});
    MakeManager({"A", "Missing", "B"}).SetLocale("fr_FR");
    EXPECT_EQ(Tr("Open"), "Ouvrir (B)");
    EXPECT_EQ(Tr("Close"), "Fermer") << "A is installed too, behind B";

    MakeManager({"C", "A"}).SetLocale("fr_FR");
    EXPECT_EQ(Tr("Open"), "Ouvrir (A)");

    ASSERT_TRUE(QDir().mkpath(Path("resources/locales/fr_FR/folder.qm")));
    MakeManager().SetLocale("fr_FR");
    EXPECT_EQ(Tr("Close"), "Fermer") << "without names every catalogue of the folder";
}

// Damaged catalogues are skipped; the language still becomes current and is announced.
TEST_F(LocaleSwitching, UnusableFoldersAndCataloguesStillMakeTheLanguageCurrent)
{
    QFile good(TALVEX_TEST_CATALOGUES "/app_de_DE.qm");
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray catalogue = good.readAll();
    const auto size = static_cast<int>(catalogue.size());
    for (int length : {size / 2, size - 3, 16, 0}) {
        Write(QStringLiteral("resources/locales/de_DE/cut%1.qm").arg(length), catalogue.left(length));
    }
    Write("resources/locales/ru_RU/noise.qm", QByteArray::fromHex("9e3779b97f4a7c15").repeated(512));
    Ship("it_IT");
    Ship("templates.old");
    auto& lookAndFeel = MakeManager();

    for (const char* locale : {"de_DE", "ru_RU", "it_IT", "templates"}) {
        lookAndFeel.SetLocale(locale);
        EXPECT_EQ(lookAndFeel.GetCurrentLocale(), locale);
    }
    EXPECT_EQ(Tr("Open"), "Open") << "whatever a damaged catalogue gave has been taken out again";
    EXPECT_THAT(told, ElementsAre("de_DE", "ru_RU", "it_IT", "templates"));
}

} // namespace Talvex::Test
