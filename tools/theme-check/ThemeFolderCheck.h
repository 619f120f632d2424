#pragma once

#include "CheckReport.h"

#include <QDir>
#include <QFileInfoList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <list>
#include <string>

namespace Talvex::ThemeCheck {

class BundleInspector;

// Checks the files of every theme folder the way the look-and-feel manager reads them:
// folder and bundle names, the description file and its titles, each bundle's prefix,
// style sheets, substitutions and fonts. Keeps the style sheets it read, so placeholders
// found later in an assembled sheet can be traced to the file that uses them.
class ThemeFolderCheck {
public:
    ThemeFolderCheck(const QString& themesFolder, const std::string& descriptionFileName,
                     const std::list<std::string>& bundleNames, CheckReport& report);

    void Run(const std::list<std::string>& locales);

    // Resource path ("<bundle>.rcc:/<name>/<file>") to text, per theme.
    const QMap<QString, QString>& StyleSheets(const std::string& theme) const;

private:
    using Definitions = QMap<QString, QSet<QString>>; // fonts.json path to the names it defines

    void CheckTheme(const QString& theme, const std::list<std::string>& locales);
    void CheckDescription(const QString& theme, const std::list<std::string>& locales);
    QFileInfoList Bundles(const QString& theme);
    void CheckBundle(const QString& theme, const QFileInfo& file, Definitions& definitions);
    void CheckFonts(const QString& theme, const QString& file, const BundleInspector& bundle);
    void CheckDefinitionsUsed(const QString& theme, const Definitions& definitions);

    QDir themesFolder;
    std::string descriptionFileName;
    std::list<std::string> bundleNames;
    CheckReport& report;
    QMap<std::string, QMap<QString, QString>> styleSheets;
};

} // namespace Talvex::ThemeCheck
