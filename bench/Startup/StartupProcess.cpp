// Usage: StartupProcess <bare|full> <root folder>
// One start-up, one event-loop turn and the shut-down of either a bare QApplication or
// the library's Application with the services a product registers. The first turn
// prints a line (for wall time) and dumps callgrind's counts so far (for instructions),
// which splits the start-up from the exit.
#include "App/Application/Application.h"
#include "App/Application/ICustomizationManager.h"
#include "App/Application/LookAndFeel/LookAndFeelManager.h"
#include "App/Application/Settings/SettingsManager.h"

#include <QDir>
#include <QStandardPaths>
#include <QTimer>

#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstring>

namespace {

class Customization : public Talvex::App::ICustomizationManager {
public:
    std::string GetOrganizationName() const override { return "Talvex"; }
    Talvex::Core::Version GetVersion() const override { return Talvex::Core::Version("20.1.2"); }
    std::string GetProductFolderName() const override { return "Clipforge"; }
    std::string GetApplicationName() const override { return "Clipforge"; }
    std::string GetAboutProductName() const override { return "Talvex Clipforge"; }
    std::string GetProductCodeName() const override { return "clipforge"; }
    bool SkipsFirstRunActions() const override { return true; }
    int GetDistributionType() const override { return 0; }
    std::string GetPostInstallPage() const override { return "thankyou"; }
    bool IsEmailDialogEnabled() const override { return false; }
};

int RunOneTurn(QApplication& app, const char* tag)
{
    QTimer::singleShot(0, &app, [&app, tag] {
        CALLGRIND_DUMP_STATS_AT(tag);
        std::printf("first turn\n");
        std::fflush(stdout);
        app.quit();
    });
    return app.exec();
}

std::shared_ptr<Talvex::App::SettingsManager> Store(const char* name)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QDir().mkpath(folder);
    return std::make_shared<Talvex::App::SettingsManager>(folder + QLatin1Char('/') + QLatin1String(name),
                                                          QSettings::IniFormat);
}

int RunFull(int& argc, char** argv, const char* root)
{
    Talvex::App::Application app(argc, argv);
    app.SetSettingsManager(Store("general.ini"));
    app.SetProductSettingsManager(Store("product.ini"));
    app.SetMailSettingsManager(Store("mail.ini"));
    app.SetCustomizationManager(std::make_shared<Customization>(), false);
    auto lookAndFeel = std::make_shared<Talvex::App::LookAndFeelManager>(Talvex::ioPath(root), "description.json",
                                                                         std::list<std::string>());
    lookAndFeel->Initialize("en_US", "Light");
    app.setStyleSheet(QString::fromStdString(lookAndFeel->GetUnitedStylesheet()));
    app.SetLookAndFeel(lookAndFeel);
    app.Start();
    return RunOneTurn(app, "Startup.firstTurn/Application:1");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        return 2;
    }
    if (std::strcmp(argv[1], "full") == 0) {
        return RunFull(argc, argv, argv[2]);
    }
    QApplication app(argc, argv);
    return RunOneTurn(app, "Startup.firstTurn/baseline:1");
}
