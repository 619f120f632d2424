#include "LanguageFixture.h"

namespace Talvex::Test {

struct Resolution {
    const char* name;
    QStringList shipped;
    const char* system; // the default locale stands in for the user's languages
    std::string wanted;
    int installerLanguage; // -1: none recorded
    std::string expected;
};

class LocaleResolution : public LanguageFixture, public ::testing::WithParamInterface<Resolution> {};

TEST_P(LocaleResolution, Picks)
{
    for (const QString& locale : GetParam().shipped) {
        Ship(locale);
    }
    QLocale::setDefault(QLocale(QLatin1String(GetParam().system)));
    if (GetParam().installerLanguage != -1) {
        installer->SetInt("Language", GetParam().installerLanguage);
    }
    MakeManager().SetLocale(GetParam().wanted);
    EXPECT_EQ(manager->GetCurrentLocale(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Precedence, LocaleResolution,
    ::testing::Values(Resolution{"ShippedWantedBeatsSystem", {"de_DE", "ru_RU"}, "de_DE", "ru_RU", 1031, "ru_RU"},
                      Resolution{"WantedIsCaseSensitive", {"de_DE", "ru_RU"}, "ru_RU", "DE_de", -1, "ru_RU"},
                      Resolution{"UnknownIsNeverWanted", {"unknown", "ru_RU"}, "ru_RU", "unknown", -1, "ru_RU"},
                      Resolution{"AnyPortugueseIsBrazilian", {"de_DE", "pt_BR"}, "pt_PT", "", -1, "pt_BR"},
                      Resolution{"HongKongChineseIsTraditional", {"zh_CN", "zh_TW"}, "zh_HK", "", -1, "zh_TW"},
                      Resolution{"OtherCountryIsNoMatch", {"fr_FR", "de_DE"}, "de_AT", "", -1, "en_US"},
                      Resolution{"SystemBeatsInstaller", {"de_DE"}, "de_DE", "", 1049, "de_DE"},
                      Resolution{"InstallerNeedNotBeShipped", {"de_DE", "pt_BR"}, "fi_FI", "unknown", 1049, "ru_RU"},
                      Resolution{"UnlistedInstallerCodeIsEnglish", {"de_DE"}, "fi_FI", "", 1033, "en_US"},
                      Resolution{"PortugalFromTheInstaller", {"de_DE"}, "fi_FI", "", 2070, "pt_PT"},
                      Resolution{"NothingRecordedIsEnglish", {}, "fi_FI", "de_DE", -1, "en_US"},
                      Resolution{"RecordedZeroIsEnglish", {"de_DE"}, "fi_FI", "unknown", 0, "en_US"}),
    [](const ::testing::TestParamInfo<Resolution>& info) { return std::string(info.param.name); });

} // namespace Talvex::Test
