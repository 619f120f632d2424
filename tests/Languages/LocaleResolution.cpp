#include "LanguageFixture.h"

#include "App/Application/LookAndFeel/LanguageNames.h"

#include <ostream>

namespace Talvex::Test {

struct Resolution {
    const char* name;
    QStringList shipped;
    const char* system; // the default locale, standing in for the user's languages
    std::string wanted;
    int installerLanguage; // 0: not recorded
    std::string expected;
};

std::ostream& operator<<(std::ostream& out, const Resolution& resolution)
{
    return out << resolution.name;
}

class LocaleResolution : public LanguageFixture, public ::testing::WithParamInterface<Resolution> {};

TEST_P(LocaleResolution, Picks)
{
    const Resolution& resolution = GetParam();
    for (const QString& locale : resolution.shipped) {
        Ship(locale);
    }
    QLocale::setDefault(QLocale(QLatin1String(resolution.system)));
    if (resolution.installerLanguage != 0) {
        installer->SetInt("Language", resolution.installerLanguage);
    }
    MakeManager().SetLocale(resolution.wanted);
    EXPECT_EQ(manager->GetCurrentLocale(), resolution.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Precedence, LocaleResolution,
    ::testing::Values(Resolution{"ShippedWantedBeatsSystem", {"de_DE", "ru_RU"}, "de_DE", "ru_RU", 1031, "ru_RU"},
                      Resolution{"WantedIsCaseSensitive", {"de_DE", "ru_RU"}, "ru_RU", "DE_de", 0, "ru_RU"},
                      Resolution{"UnknownWantedAsksTheSystem", {"unknown", "ru_RU"}, "ru_RU", "unknown", 0, "ru_RU"},
                      Resolution{"AnyPortugueseIsBrazilian", {"de_DE", "pt_BR"}, "pt_PT", "", 0, "pt_BR"},
                      Resolution{"BrazilianItself", {"pt_BR"}, "pt_BR", "fr_FR", 0, "pt_BR"},
                      Resolution{"HongKongChineseIsTraditional", {"zh_CN", "zh_TW"}, "zh_HK", "", 0, "zh_TW"},
                      Resolution{"TaiwanChineseIsTraditional", {"zh_CN", "zh_TW"}, "zh_TW", "", 0, "zh_TW"},
                      Resolution{"MainlandChineseIsSimplified", {"zh_TW", "zh_CN"}, "zh_CN", "", 0, "zh_CN"},
                      Resolution{"OtherCountryIsNoMatch", {"fr_FR", "de_DE"}, "de_AT", "", 0, "en_US"},
                      Resolution{"SystemBeatsInstaller", {"de_DE"}, "de_DE", "", 1049, "de_DE"},
                      Resolution{
                          "InstallerLanguageNeedNotBeShipped", {"de_DE", "pt_BR"}, "fi_FI", "unknown", 1049, "ru_RU"},
                      Resolution{"UnlistedInstallerCodeIsEnglish", {"de_DE"}, "fi_FI", "", 1033, "en_US"},
                      Resolution{"PortugalFromTheInstaller", {"de_DE"}, "fi_FI", "", 2070, "pt_PT"},
                      Resolution{"NoInstallerLanguageIsEnglish", {"de_DE"}, "fi_FI", "unknown", 0, "en_US"},
                      Resolution{"EnglishEvenWithNothingShipped", {}, "fi_FI", "de_DE", 0, "en_US"}),
    [](const ::testing::TestParamInfo<Resolution>& info) { return std::string(info.param.name); });

TEST_F(LanguageFixture, InstallerLanguageIsReadFromTheInstallerStore)
{
    auto& lookAndFeel = MakeManager();
    EXPECT_EQ(lookAndFeel.GetDefaultLocale(), App::UNKNOWN_LOCALE);
    installer->SetInt("Language", 0);
    EXPECT_EQ(lookAndFeel.GetDefaultLocale(), App::UNKNOWN_LOCALE);
    installer->SetInt("Language", 1046);
    EXPECT_EQ(lookAndFeel.GetDefaultLocale(), "pt_BR");
    installer->SetInt("Language", -1);
    EXPECT_EQ(lookAndFeel.GetDefaultLocale(), "en_US");
    EXPECT_EQ(App::LookAndFeelManager::LocaleNameFromInstallerCode(1028), "zh_TW");
    EXPECT_EQ(App::LookAndFeelManager::LocaleNameFromInstallerCode(2052), "zh_CN");
}

TEST(LanguageNames, ShippedLocalesInTheirOwnWordsCodesInEnglishOthersAsThemselves)
{
    EXPECT_EQ(App::LanguageNames.size(), 40u);
    EXPECT_EQ(App::LanguageName("de_DE"), "Deutsch");
    EXPECT_EQ(App::LanguageName("zh_TW"), "繁體中文");
    EXPECT_EQ(App::LanguageName("nob"), "Norwegian Bokmål");
    EXPECT_EQ(App::LanguageName("und"), "");
    EXPECT_EQ(App::LanguageName("pt_PT"), "pt_PT");
    EXPECT_EQ(App::LanguageName("DE_DE"), "DE_DE");
}

} // namespace Talvex::Test
