// The sample product, in the order every product's main follows: the high-DPI fix
// before anything else, the application, its services (settings stores, identity,
// look and feel with the style sheet applied), the window, Start, the event loop, and
// leaving through TryToQuit (the File menu's Quit, or closing the window).
//
// With TALVEX_DEMO_TOUR=<folder> nobody is at the screen: the e-mail dialog of a first
// run is pictured without blocking, a crash report is not asked for, and a scripted
// tour saves one picture per step into that folder, then quits. TALVEX_DEMO_LANGUAGE
// names the language to start in; otherwise the one last picked from the menu, else
// the system's. With --crash-on-purpose it prints "session <id>" and crashes at once,
// for the tour's crash-report step. A second launch while it runs hands its files to
// the running window and exits.
#include "App/Application/Application.h"
#include "App/Application/EmailDialog/EmailDialog.h"
#include "App/Application/EmailDialog/EmailDialogCreator.h"
#include "App/Application/LookAndFeel/DesktopThemeFollower.h"
#include "App/Application/LookAndFeel/LookAndFeelManager.h"
#include "App/Application/ProcessHelpers.h"
#include "App/Application/Settings/SettingsManager.h"
#include "App/Application/SingleInstance.h"
#include "CrashReportOffer.h"
#include "DemoCustomization.h"
#include "DemoTour.h"
#include "MainWindow.h"

#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTime>

#include <cstdio>
#include <cstring>

#include <glog/logging.h>

namespace {

// Files the product leaves in its temporary folder are removed after this many days.
const int TEMPORARY_FILES_DAYS = 7;

std::shared_ptr<Talvex::App::SettingsManager> StoreIn(const QString& folder, const QString& name)
{
    return std::make_shared<Talvex::App::SettingsManager>(folder + QLatin1Char('/') + name, QSettings::IniFormat);
}

void RegisterStores(Talvex::App::Application& application)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(folder);
    application.SetSettingsManager(StoreIn(folder, QStringLiteral("settings.ini")));
    application.SetProductSettingsManager(StoreIn(folder, QStringLiteral("product.ini")));
    application.SetMailSettingsManager(StoreIn(folder, QStringLiteral("mail.ini")));
}

std::string Remembered(Talvex::App::Application& application, const char* key, const std::string& fallback)
{
    return application.GetProductSettingsManager()->GetString(key, fallback);
}

// The desktop is asked before the first theme is set, so the window opens in its scheme.
std::shared_ptr<Talvex::App::DesktopThemeFollower>
FollowDesktop(Talvex::App::Application& application, const std::shared_ptr<Talvex::App::LookAndFeelManager>& manager,
              bool unattended)
{
    auto follower = std::make_shared<Talvex::App::DesktopThemeFollower>(manager);
    follower->SetFollowing(unattended ||
                           application.GetProductSettingsManager()->GetBool(MainWindow::FOLLOW_SYSTEM, true));
    follower->Start();
    return follower;
}

// An unattended tour always starts from the same place (English unless asked, Light
// unless the desktop prefers dark), so its pictures do not depend on what an earlier
// run remembered.
std::shared_ptr<Talvex::App::LookAndFeelManager>
LookAndFeel(Talvex::App::Application& application, bool unattended,
            std::shared_ptr<Talvex::App::DesktopThemeFollower>& follower)
{
    auto manager = std::make_shared<Talvex::App::LookAndFeelManager>(
        Talvex::ioPath(QCoreApplication::applicationDirPath().toStdString()), "theme.json", std::list<std::string>());
    const QString wanted = qEnvironmentVariable("TALVEX_DEMO_LANGUAGE");
    const std::string remembered = unattended ? "en_US" : Remembered(application, Talvex::App::LOCALE, std::string());
    const std::string language = wanted.isEmpty() ? remembered : wanted.toStdString();
    const std::string theme =
        unattended ? Talvex::App::LIGHT_THEME : Remembered(application, Talvex::App::THEME, Talvex::App::LIGHT_THEME);
    follower = FollowDesktop(application, manager, unattended);
    manager->Initialize(language, follower->ThemeToShow(theme));
    application.setStyleSheet(QString::fromStdString(manager->GetUnitedStylesheet()));
    application.SetLookAndFeel(manager);
    return manager;
}

// Old files go first; then this run leaves its own (a thumbnail cache stand-in).
void UseTemporaryFolder(Talvex::App::Application& application, MainWindow& window)
{
    application.ClearApplicationTemporaryFiles(TEMPORARY_FILES_DAYS);
    const QString folder = application.GetApplicationTemporaryFilesDir();
    QSaveFile thumbnails(QDir(folder).filePath(QStringLiteral("thumbnails.cache")));
    if (!folder.isEmpty() && thumbnails.open(QIODevice::WriteOnly)) {
        thumbnails.write(QByteArray::fromStdString(application.SessionId()));
        thumbnails.commit();
    }
    window.AddTranslatedLine([] {
        return MainWindow::tr("Temporary files older than %1 days are removed at start").arg(TEMPORARY_FILES_DAYS);
    });
}

// The real dialog, shown without a modal loop so an unattended run never waits on it.
class UnattendedEmailDialog : public Talvex::IEmailDialog {
public:
    UnattendedEmailDialog(std::shared_ptr<Talvex::App::ISettingsManager> mail, QWidget* parent, QString picture)
        : dialog(std::move(mail), parent), picture(std::move(picture))
    {
    }
    void Show() override
    {
        dialog.show();
        QCoreApplication::processEvents();
        dialog.grab().save(picture);
        dialog.close();
    }

private:
    Talvex::EmailDialog dialog;
    QString picture;
};

void ShowEmailDialogUnattended(const QString& folder)
{
    const QString picture = QDir(folder).filePath(QStringLiteral("email-dialog.png"));
    Talvex::EmailDialogCreator::SetFactory([picture](std::shared_ptr<Talvex::App::ISettingsManager> mail,
                                                     std::shared_ptr<Talvex::ILinksManager>, QWidget* parent) {
        std::printf("e-mail dialog shown (picture in %s)\n", qPrintable(picture));
        return std::make_unique<UnattendedEmailDialog>(mail, parent, picture);
    });
}

void ShowUpdateCheckStatus(Talvex::App::Application& application, MainWindow& window)
{
    window.SetUpdateStatus([] { return MainWindow::tr("Updates: a check follows shortly after the start"); });
    QObject::connect(&application, &Talvex::App::Application::AutoUpdateCheckRequested, &window, [&window] {
        const QString time = QTime::currentTime().toString(QStringLiteral("HH:mm"));
        window.SetUpdateStatus([time] { return MainWindow::tr("Updates: check requested at %1").arg(time); });
    });
}

// Writes through a null pointer, as a real bug would.
__attribute__((noinline)) void CrashOnPurpose(Talvex::App::Application& application)
{
    std::printf("session %s\n", application.SessionId().c_str());
    std::fflush(stdout);
    LOG(WARNING) << "Crashing on purpose, as asked by --crash-on-purpose";
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

// One window per session: a file opened while the product runs goes to the window the
// user has. The tour's crashing child is a second instance on purpose.
std::unique_ptr<Talvex::App::SingleInstance> OneInstance(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--crash-on-purpose") == 0) {
            return nullptr;
        }
    }
    return std::make_unique<Talvex::App::SingleInstance>(argc, argv, "talvex-demo");
}

} // namespace

int main(int argc, char** argv)
{
    const auto instance = OneInstance(argc, argv);
    if (instance && instance->HandedOver()) {
        return 0;
    }
    Talvex::App::HighDpiFix();
    Talvex::App::Application application(argc, argv);
    // The window's identity on the desktop (its app id on Wayland): the task bar finds
    // the product's .desktop file, its name and icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(TALVEX_DEMO_DESKTOP_FILE));
    application.SetCustomizationManager(std::make_shared<DemoCustomization>(), true);
    RegisterStores(application);
    if (QCoreApplication::arguments().contains(QStringLiteral("--crash-on-purpose"))) {
        CrashOnPurpose(application);
    }
    const QString tourFolder = qEnvironmentVariable("TALVEX_DEMO_TOUR");
    const bool unattended = !tourFolder.isEmpty();
    std::shared_ptr<Talvex::App::DesktopThemeFollower> follower;
    MainWindow window(application, LookAndFeel(application, unattended, follower));
    window.FollowTheDesktop(follower);
    application.SetMainWindow(&window);
    window.OpenFiles(QCoreApplication::arguments(), QDir::currentPath());
    if (instance) {
        QObject::connect(instance.get(), &Talvex::App::SingleInstance::LaunchedAgain, &window, &MainWindow::OpenFiles);
    }
    ShowUpdateCheckStatus(application, window);
    QObject::connect(&application, &Talvex::App::Application::AfterShowEmailDialog, &window, [&window] {
        window.AddTranslatedLine([] { return MainWindow::tr("The e-mail dialog was shown"); });
    });

    if (unattended) {
        ShowEmailDialogUnattended(tourFolder);
    }
    window.show();
    application.Start();
    window.ReportStart();
    UseTemporaryFolder(application, window);
    CrashReportOffer::Run(application, window, unattended);
    std::unique_ptr<DemoTour> tour;
    if (unattended) {
        tour = std::make_unique<DemoTour>(application, window, tourFolder);
        tour->Start();
    }
    const int status = application.exec();
    return status != 0 || !tour ? status : tour->Failures();
}
