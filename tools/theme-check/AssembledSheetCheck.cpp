#include "AssembledSheetCheck.h"

#include "PlaceholderScan.h"
#include "ThemeFolderCheck.h"

#include <App/Application/LookAndFeel/LookAndFeelManager.h>

namespace Talvex::ThemeCheck {

AssembledSheetCheck::AssembledSheetCheck(App::LookAndFeelManager& manager, const ThemeFolderCheck& folders,
                                         CheckReport& report)
    : manager(manager), folders(folders), report(report)
{
}

void AssembledSheetCheck::Run()
{
    for (const std::string& theme : manager.GetThemes()) {
        Report(theme, Collect(theme));
    }
    manager.SetTheme(std::string());
}

AssembledSheetCheck::LanguagesByPlaceholder AssembledSheetCheck::Collect(const std::string& theme)
{
    LanguagesByPlaceholder unresolved;
    // Substitutions may differ per language, so each shipped language builds the theme.
    std::list<std::string> locales = manager.GetLocales();
    if (locales.empty()) {
        locales.push_back(std::string());
    }
    for (const std::string& locale : locales) {
        if (!locale.empty()) {
            manager.SetLocale(locale);
        }
        manager.SetTheme(theme);
        const QString sheet = QString::fromStdString(manager.GetUnitedStylesheet());
        for (const QString& placeholder : PlaceholderScan::Placeholders(sheet)) {
            unresolved[placeholder].append(QString::fromStdString(locale));
        }
    }
    return unresolved;
}

void AssembledSheetCheck::Report(const std::string& theme, const LanguagesByPlaceholder& unresolved)
{
    const QMap<QString, QString>& sheets = folders.StyleSheets(theme);
    const int languages = static_cast<int>(manager.GetLocales().size());
    for (auto entry = unresolved.begin(); entry != unresolved.end(); ++entry) {
        QString where;
        if (entry.value().size() < languages) {
            where = QStringLiteral(" (in ") + entry.value().join(QStringLiteral(", ")) + QLatin1Char(')');
        }
        QStringList files;
        for (auto sheet = sheets.begin(); sheet != sheets.end(); ++sheet) {
            if (PlaceholderScan::Placeholders(sheet.value()).contains(entry.key())) {
                files.append(sheet.key());
            }
        }
        const std::string file = files.isEmpty() ? "the assembled style sheet" : files.join(", ").toStdString();
        report.Error(theme, file,
                     "placeholder " + entry.key().toStdString() + " is defined nowhere" + where.toStdString());
    }
}

} // namespace Talvex::ThemeCheck
