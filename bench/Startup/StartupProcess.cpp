// Usage: StartupProcess <linked|full|following> <root folder>
// One start-up, one turn of the event loop (processEvents) and the shut-down of either a
// QApplication in this program that links the library but calls nothing of it
// ("linked", what the library costs a product that does not use it), or the library's
// Application with two file stores, logging, and the look and feel over the realistic
// theme in "en_US" ("full"; "following" also follows the desktop's preference, so the
// desktop portal is read before the first theme is set). After the turn it prints a
// line (for wall time) and dumps callgrind's counts so far (for instructions), which
// splits the start-up from the exit; at the end it prints the peak resident memory.
#include "FirstTurn.h"

#include "App/Application/Application.h"
#include "App/Application/ICustomizationManager.h"
#include "App/Application/LookAndFeel/DesktopThemeFollower.h"
#include "App/Application/LookAndFeel/LookAndFeelManager.h"
#include "App/Application/Settings/SettingsManager.h"

#include <QDir>
#include <QStandardPaths>

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

std::shared_ptr<Talvex::App::SettingsManager> Store(const char* name)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QDir().mkpath(folder);
    return std::make_shared<Talvex::App::SettingsManager>(folder + QLatin1Char('/') + QLatin1String(name),
                                                          QSettings::IniFormat);
}

int RunFull(int& argc, char** argv, const char* root, bool following)
{
    Talvex::App::Application app(argc, argv);
    app.SetSettingsManager(Store("general.ini"));
    app.SetProductSettingsManager(Store("product.ini"));
    app.SetCustomizationManager(std::make_shared<Customization>(), true);
    auto lookAndFeel = std::make_shared<Talvex::App::LookAndFeelManager>(Talvex::ioPath(root), "description.json",
                                                                         std::list<std::string>());
    std::shared_ptr<Talvex::App::DesktopThemeFollower> follower;
    std::string theme = "Light";
    if (following) {
        follower = std::make_shared<Talvex::App::DesktopThemeFollower>(lookAndFeel);
        follower->SetFollowing(true);
        follower->Start();
        theme = follower->ThemeToShow(theme);
    }
    lookAndFeel->Initialize("en_US", theme);
    app.setStyleSheet(QString::fromStdString(lookAndFeel->GetUnitedStylesheet()));
    app.SetLookAndFeel(lookAndFeel);
    app.Start();
    return Talvex::Bench::RunOneTurn(following ? "Startup.firstTurn/Following:1" : "Startup.firstTurn/Application:1");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        return 2;
    }
    const bool following = std::strcmp(argv[1], "following") == 0;
    if (following || std::strcmp(argv[1], "full") == 0) {
        RunFull(argc, argv, argv[2], following);
    } else {
        QApplication app(argc, argv);
        Talvex::Bench::RunOneTurn("Startup.firstTurn/LinkedOnly:1");
    }
    Talvex::Bench::PrintPeakMemory();
    return 0;
}
