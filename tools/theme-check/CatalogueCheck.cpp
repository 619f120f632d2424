#include "CatalogueCheck.h"

#include <App/Application/LookAndFeel/CatalogueTranslator_p.h>

namespace Talvex::ThemeCheck {

CatalogueCheck::CatalogueCheck(const QString& localesFolder, const std::list<std::string>& resourceNames,
                               CheckReport& report)
    : localesFolder(localesFolder), resourceNames(resourceNames), report(report)
{
}

std::list<std::string> CatalogueCheck::Run()
{
    std::list<std::string> locales;
    for (const QString& locale : localesFolder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (locale.contains(QLatin1Char('.'))) {
            report.Error(std::string(), "locales/" + locale.toStdString(),
                         "the language folder's name has a dot: the manager would call it '" +
                             QFileInfo(locale).baseName().toStdString() + "'");
            continue;
        }
        CheckLanguage(locale);
        locales.push_back(locale.toStdString());
    }
    return locales;
}

void CatalogueCheck::CheckLanguage(const QString& locale)
{
    const QDir folder(localesFolder.filePath(locale));
    const std::string label = "locales/" + locale.toStdString();
    QFileInfoList catalogues;
    if (resourceNames.empty()) {
        catalogues = folder.entryInfoList({QStringLiteral("*.qm")}, QDir::Files, QDir::Name);
    } else {
        for (const std::string& name : resourceNames) {
            catalogues.append(QFileInfo(folder, QString::fromStdString(name) + QLatin1Char('_') + locale + ".qm"));
        }
    }
    if (catalogues.isEmpty()) {
        report.Warning(std::string(), label, "no translation catalogue: the language shows the source texts");
    }
    for (const QFileInfo& catalogue : catalogues) {
        // Loaded as the manager loads it: checked, from the checked bytes, its
        // dependencies too; a plain translator would trust whatever the file says.
        App::CatalogueTranslator translator;
        QString problem;
        if (!catalogue.isFile()) {
            report.Error(std::string(), label + "/" + catalogue.fileName().toStdString(), "the catalogue is missing");
        } else if (!translator.LoadChecked(catalogue.absoluteFilePath(), &problem)) {
            report.Error(std::string(), label + "/" + catalogue.fileName().toStdString(),
                         "the catalogue fails to load: " + problem.toStdString());
        }
    }
}

} // namespace Talvex::ThemeCheck
