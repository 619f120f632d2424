#include "App/Application/LookAndFeel/LanguageNames.h"

namespace Talvex::App {

const std::map<std::string, std::string> LanguageNames = {
    {"en_US", "English"},        {"ru_RU", "Русский"},
    {"de_DE", "Deutsch"},        {"fr_FR", "Français"},
    {"es_ES", "Español"},        {"it_IT", "Italiano"},
    {"ja_JP", "日本語"},         {"nl_NL", "Nederlands"},
    {"pl_PL", "Polski"},         {"pt_BR", "Português Brasileiro"},
    {"tr_TR", "Türkçe"},         {"zh_CN", "简体中文"},
    {"ko_KR", "한국어"},         {"zh_TW", "繁體中文"},
    {"ara", "Arabic"},           {"bel", "Belarusian"},
    {"cat", "Catalan"},          {"chi", "Chinese"},
    {"dan", "Danish"},           {"dut", "Dutch"},
    {"eng", "English"},          {"fin", "Finnish"},
    {"fre", "French"},           {"ger", "German"},
    {"heb", "Hebrew"},           {"hin", "Hindi"},
    {"hun", "Hungarian"},        {"ita", "Italian"},
    {"jpn", "Japanese"},         {"nno", "Norwegian Nynorsk"},
    {"nob", "Norwegian Bokmål"}, {"pol", "Polish"},
    {"por", "Portuguese"},       {"rus", "Russian"},
    {"slv", "Slovenian"},        {"spa", "Spanish"},
    {"swe", "Swedish"},          {"tur", "Turkish"},
    {"ukr", "Ukrainian"},        {"und", ""},
};

std::string LanguageName(const std::string& key)
{
    const auto found = LanguageNames.find(key);
    return found != LanguageNames.end() ? found->second : key;
}

} // namespace Talvex::App
