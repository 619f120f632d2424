#include "App/Application/LookAndFeel/TranslationCatalogues_p.h"

#include "App/Application/LookAndFeel/CatalogueTranslator_p.h"
#include "Platform/Util/TextConversion.h"

#include <QCoreApplication>
#include <QDir>

namespace Talvex::App {

QFileInfoList TranslationCatalogues::Choose(const QString& folder, const std::list<std::string>& resourceNames,
                                            const std::string& locale)
{
    const QDir directory(folder);
    if (resourceNames.empty()) {
        return directory.entryInfoList({QStringLiteral("*.qm")}, QDir::Files, QDir::NoSort);
    }
    QFileInfoList files;
    for (const std::string& name : resourceNames) {
        const QFileInfo catalogue(directory, Util::Utf8ToQString(name + "_" + locale + ".qm"));
        if (catalogue.exists()) {
            files.append(catalogue);
        }
    }
    return files;
}

TranslationCatalogues::Translators TranslationCatalogues::Install(const QFileInfoList& files)
{
    Translators translators;
    for (const QFileInfo& file : files) {
        if (!file.isFile()) {
            continue;
        }
        auto translator = std::make_shared<CatalogueTranslator>();
        if (translator->LoadChecked(file.absoluteFilePath())) {
            QCoreApplication::installTranslator(translator.get());
            translators.push_back(std::move(translator));
        }
    }
    return translators;
}

void TranslationCatalogues::Remove(Translators& translators)
{
    for (const auto& translator : translators) {
        QCoreApplication::removeTranslator(translator.get());
    }
    translators.clear();
}

} // namespace Talvex::App
