#pragma once

#include <TalvexExport.h>

#include <QString>

#include <string>

namespace Talvex::App {

// The thank-you address carries the distribution id that the installer's file name
// encodes ("...SetupC1a2b..." -> "&did=C1a2b"), so the page can credit the download.
class TALVEX_EXPORT ThankYouPage {
public:
    // `url` with "&did=" and the id appended when `installerName` carries one, else unchanged.
    static QString WithDistributionId(const QString& url, const std::string& installerName);
};

} // namespace Talvex::App
