#include "App/Application/ThankYouPage.h"

#include "Platform/Util/TextConversion.h"

#include <regex>

namespace Talvex::App {

QString ThankYouPage::WithDistributionId(const QString& url, const std::string& installerName)
{
    // The leading ".*" is greedy, so the last qualifying "Setup" in the name wins.
    static const std::regex pattern(".*Setup([COYSFIUE][a-zA-Z0-9]{4}).*", std::regex::ECMAScript);
    std::smatch match;
    if (!std::regex_match(installerName, match, pattern) || match[1].length() == 0) {
        return url;
    }
    return url + QStringLiteral("&did=") + Util::Utf8ToQString(match[1].str());
}

} // namespace Talvex::App
