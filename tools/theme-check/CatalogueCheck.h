#pragma once

#include "CheckReport.h"

#include <QDir>

#include <list>
#include <string>

namespace Talvex::ThemeCheck {

// Loads every language's translation catalogues as the look-and-feel manager would
// choose them: with bundle names, <name>_<locale>.qm of each; without, every ".qm".
class CatalogueCheck {
public:
    CatalogueCheck(const QString& localesFolder, const std::list<std::string>& resourceNames, CheckReport& report);

    // The shipped languages, checked; names with a dot are reported and left out.
    std::list<std::string> Run();

private:
    void CheckLanguage(const QString& locale);

    QDir localesFolder;
    std::list<std::string> resourceNames;
    CheckReport& report;
};

} // namespace Talvex::ThemeCheck
