#include "App/Application/LookAndFeel/LocaleResolution_p.h"

#include "Platform/Util/TextConversion.h"

#include <QLocale>

#include <algorithm>
#include <map>

namespace Talvex::App {

namespace {

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

std::string LocaleResolution::MapUiLanguageToLocale(const std::string& language)
{
    if (StartsWith(language, "pt")) {
        return "pt_BR";
    }
    if (StartsWith(language, "zh_CN")) {
        return "zh_CN";
    }
    if (StartsWith(language, "zh")) {
        return "zh_TW";
    }
    return language;
}

std::list<std::string> LocaleResolution::PreferredSystemLocales()
{
    std::list<std::string> preferred;
    for (const QString& language : QLocale().uiLanguages()) {
        preferred.push_back(MapUiLanguageToLocale(Util::QStringToUtf8(QLocale(language).name())));
    }
    return preferred;
}

std::string LocaleResolution::FirstShippedMatch(const std::list<std::string>& preferred,
                                                const std::list<std::string>& shipped)
{
    for (const std::string& language : preferred) {
        const auto match = std::find_if(shipped.begin(), shipped.end(), [&language](const std::string& locale) {
            return StartsWith(locale, language);
        });
        if (match != shipped.end()) {
            return *match;
        }
    }
    return std::string();
}

std::string LocaleResolution::FromInstallerCode(unsigned int code)
{
    static const std::map<unsigned int, std::string> installerLocales = {
        {1028, "zh_TW"}, {1031, "de_DE"}, {1034, "es_ES"}, {1036, "fr_FR"}, {1040, "it_IT"},
        {1041, "ja_JP"}, {1042, "ko_KR"}, {1043, "nl_NL"}, {1045, "pl_PL"}, {1046, "pt_BR"},
        {1049, "ru_RU"}, {1055, "tr_TR"}, {2052, "zh_CN"}, {2070, "pt_PT"},
    };
    const auto found = installerLocales.find(code);
    return found != installerLocales.end() ? found->second : "en_US";
}

} // namespace Talvex::App
