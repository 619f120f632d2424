#pragma once

#include "CheckReport.h"

#include <QMap>
#include <QString>

#include <list>
#include <string>

namespace Talvex::App {
class LookAndFeelManager;
}

namespace Talvex::ThemeCheck {

class ThemeFolderCheck;

// Lets the look-and-feel manager itself build every theme in every language and looks
// for placeholders that survived the substitution, i.e. are defined nowhere.
class AssembledSheetCheck {
public:
    AssembledSheetCheck(App::LookAndFeelManager& manager, const ThemeFolderCheck& folders, CheckReport& report);

    void Run();

private:
    using LanguagesByPlaceholder = QMap<QString, QStringList>;

    LanguagesByPlaceholder Collect(const std::string& theme);
    void Report(const std::string& theme, const LanguagesByPlaceholder& unresolved);

    App::LookAndFeelManager& manager;
    const ThemeFolderCheck& folders;
    CheckReport& report;
};

} // namespace Talvex::ThemeCheck
