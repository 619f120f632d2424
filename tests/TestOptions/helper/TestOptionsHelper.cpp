// A small product run by the test-option tests. It stores its settings in the file
// TALVEX_TEST_STORE, sets its language from the stored "Language", and has one test
// option of its own, --helper-label=TEXT. When ApplicationStarted arrives it prints
// "started <ms since Start> loop=<whether the event loop ran before>", "locale <current
// language>", "qlocale <default QLocale>" and "label <value of --helper-label>", opens
// https://product.example/from-helper through QDesktopServices and quits, unless the
// product argument "run" asks it to keep running. At construction it prints
// "session <id>" and one "crashed <id>" per crashed session found.
#include "App/Application/Application.h"
#include "App/Application/ICustomizationManager.h"
#include "App/Application/LookAndFeel/LookAndFeelManager.h"
#include "App/Application/Settings/SettingsManager.h"
#include "App/Application/TestOptions.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <cstring>

namespace {

class HelperCustomization : public Talvex::App::ICustomizationManager {
public:
    std::string GetOrganizationName() const override { return "Talvex Test"; }
    Talvex::Core::Version GetVersion() const override { return Talvex::Core::Version("2.5"); }
    std::string GetProductFolderName() const override { return "Options Helper"; }
    std::string GetApplicationName() const override { return "OptionsHelper"; }
    std::string GetAboutProductName() const override { return "Options Helper"; }
    std::string GetProductCodeName() const override { return "options-helper"; }
    bool SkipsFirstRunActions() const override { return false; }
    int GetDistributionType() const override { return 0; }
    std::string GetPostInstallPage() const override { return "thankyou"; }
    bool IsEmailDialogEnabled() const override { return false; }
};

class HelperApplication : public Talvex::App::Application {
public:
    using Application::Application;

private:
    QList<QCommandLineOption> GetAdditionalTestOptions() const override
    {
        return {QCommandLineOption(QStringLiteral("helper-label"), QStringLiteral("A label the helper prints."),
                                   QStringLiteral("TEXT"))};
    }
};

void Print(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

void ReportSessions(const Talvex::App::Application& application)
{
    Print(QStringLiteral("session ") + QString::fromStdString(application.SessionId()));
    for (const std::string& crashed : application.GetCrashedSessions()) {
        Print(QStringLiteral("crashed ") + QString::fromStdString(crashed));
    }
}

} // namespace

int main(int argc, char** argv)
{
    const bool keepRunning = argc > 1 && std::strcmp(argv[argc - 1], "run") == 0;
    Talvex::App::Application::AppContext context;
    context.holdInstanceMutex = false;
    HelperApplication application(argc, argv, context);
    ReportSessions(application);
    application.SetCustomizationManager(std::make_shared<HelperCustomization>(), true);
    const auto store =
        std::make_shared<Talvex::App::SettingsManager>(qEnvironmentVariable("TALVEX_TEST_STORE"), QSettings::IniFormat);
    application.SetSettingsManager(store);
    const QString resources = qEnvironmentVariable("TALVEX_RESOURCES_DIR");
    const auto lookAndFeel = std::make_shared<Talvex::App::LookAndFeelManager>(
        Talvex::ioPath(QDir::cleanPath(resources + QStringLiteral("/..")).toStdString()), "theme.json",
        std::list<std::string>());
    lookAndFeel->SetLocale(store->GetString("Language", "en_US"));
    application.SetLookAndFeel(lookAndFeel);

    bool loopRan = false;
    QTimer::singleShot(0, &application, [&loopRan] { loopRan = true; });
    QElapsedTimer sinceStart;
    QObject::connect(&application, &Talvex::App::Application::ApplicationStarted, &application, [&] {
        Print(QStringLiteral("started %1 loop=%2").arg(sinceStart.elapsed()).arg(loopRan));
        Print(QStringLiteral("locale ") + QString::fromStdString(lookAndFeel->GetCurrentLocale()));
        Print(QStringLiteral("qlocale ") + QLocale().name());
        Print(QStringLiteral("label ") + application.GetTestOptions().Value(QStringLiteral("helper-label")));
        QDesktopServices::openUrl(QUrl(QStringLiteral("https://product.example/from-helper")));
        if (!keepRunning) {
            QTimer::singleShot(0, &application, [&application] { application.TryToQuit(); });
        }
    });
    sinceStart.start();
    application.Start();
    return application.exec();
}
