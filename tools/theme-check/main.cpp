// talvex-theme-check: checks a product's themes and languages before they ship.
//
//   talvex-theme-check [--description FILE] [--bundles A,B] [--preview DIR]
//                      [--follow-system [--follow-themes LIGHT,DARK[,HIGHCONTRAST]]] <resources folder>
//
// The folder is the product's "resources" folder (or the folder that holds it). The
// exit status is 1 when an error was found, 2 on wrong usage, 0 otherwise.
#include "AssembledSheetCheck.h"
#include "CatalogueCheck.h"
#include "CheckReport.h"
#include "FollowCheck.h"
#include "PreviewGallery.h"
#include "ThemeFolderCheck.h"

#include <App/Application/LookAndFeel/ILookAndFeelManager.h>
#include <App/Application/LookAndFeel/LookAndFeelManager.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#include <glog/logging.h>

#include <iostream>

namespace {

using namespace Talvex::ThemeCheck;

struct Options {
    QDir root; // the folder that holds "resources"
    std::string descriptionFileName;
    std::list<std::string> bundleNames;
    QString previewFolder;
    bool follows = false;
    Talvex::App::DesktopThemeFollower::Themes followThemes;
};

void ParseFollowThemes(const QString& value, Options& options)
{
    const QStringList names = value.split(QLatin1Char(','));
    std::string* targets[] = {&options.followThemes.light, &options.followThemes.dark,
                              &options.followThemes.highContrast};
    for (int index = 0; index < names.size() && index < 3; ++index) {
        *targets[index] = names.at(index).trimmed().toStdString();
    }
}

bool ParseOptions(const QApplication& application, Options& options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Checks the themes and languages of a product's resources folder."));
    parser.addHelpOption();
    const QCommandLineOption description(QStringLiteral("description"), QStringLiteral("Theme description file name."),
                                         QStringLiteral("file"), QStringLiteral("theme.json"));
    const QCommandLineOption bundles(
        QStringLiteral("bundles"),
        QStringLiteral("Bundle and catalogue base names the product loads, comma-separated "
                       "(default: every bundle and catalogue found)."),
        QStringLiteral("names"));
    const QCommandLineOption preview(QStringLiteral("preview"),
                                     QStringLiteral("Render a widget gallery per theme and language into this folder."),
                                     QStringLiteral("folder"));
    const QCommandLineOption follows(QStringLiteral("follow-system"),
                                     QStringLiteral("The product follows the desktop's light or dark preference."));
    const QCommandLineOption followThemes(
        QStringLiteral("follow-themes"),
        QStringLiteral("The themes it follows with: light, dark and optionally high contrast, comma-separated "
                       "(default: Light,Dark). Implies --follow-system."),
        QStringLiteral("names"));
    parser.addOptions({description, bundles, preview, follows, followThemes});
    parser.addPositionalArgument(QStringLiteral("resources"), QStringLiteral("The product's resources folder."));
    parser.process(application);
    if (parser.positionalArguments().size() != 1) {
        std::cerr << parser.helpText().toStdString();
        return false;
    }
    QDir folder(parser.positionalArguments().first());
    if (!folder.exists()) {
        std::cerr << "no such folder: " << folder.path().toStdString() << '\n';
        return false;
    }
    const bool isResources =
        folder.exists(QLatin1String(Talvex::App::THEMES)) || folder.exists(QLatin1String(Talvex::App::LOCALES));
    if (isResources) {
        folder.cdUp();
    }
    options.root = folder;
    options.descriptionFileName = parser.value(description).toStdString();
    for (const QString& name : parser.value(bundles).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        options.bundleNames.push_back(name.trimmed().toStdString());
    }
    options.previewFolder = parser.value(preview);
    options.follows = parser.isSet(follows) || parser.isSet(followThemes);
    if (parser.isSet(followThemes)) {
        ParseFollowThemes(parser.value(followThemes), options);
    }
    return true;
}

QString ResourcesPath(const Options& options, const char* folder)
{
    return options.root.filePath(QLatin1String(Talvex::App::RESOURCES) + QLatin1Char('/') + QLatin1String(folder));
}

} // namespace

int main(int argc, char** argv)
{
    // Nothing here is meant to be seen on a screen; previews are rendered off it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The manager's own warnings would repeat our findings in another form.
    FLAGS_minloglevel = google::GLOG_ERROR;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("talvex-theme-check"));
    Options options;
    if (!ParseOptions(application, options)) {
        return 2;
    }
    CheckReport report;
    const std::list<std::string> locales =
        CatalogueCheck(ResourcesPath(options, Talvex::App::LOCALES), options.bundleNames, report).Run();
    ThemeFolderCheck folders(ResourcesPath(options, Talvex::App::THEMES), options.descriptionFileName,
                             options.bundleNames, report);
    folders.Run(locales);
    // A theme whose description does not parse is left out by the manager, and the
    // folder check has named it; the others are still assembled.
    Talvex::App::LookAndFeelManager manager(Talvex::ioPath(options.root.absolutePath().toStdString()),
                                            options.descriptionFileName, options.bundleNames);
    AssembledSheetCheck(manager, folders, report).Run();
    if (options.follows) {
        FollowCheck(options.followThemes, manager.GetThemes(), report).Run();
    }
    if (!options.previewFolder.isEmpty()) {
        PreviewGallery(manager, options.previewFolder).Render();
    }
    report.Print(std::cout);
    return report.ErrorCount() > 0 ? 1 : 0;
}
