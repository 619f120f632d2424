// The sample product: registers its services with the application, starts it and shows
// its window. On the first run after an installation the application shows the e-mail
// dialog and opens the thank-you page. With TALVEX_DEMO_SCREENSHOT set it runs without
// anybody at the screen: the e-mail dialog is shown without blocking, a picture of the
// main window (and of its two menus, beside it) is saved to that path and the program
// quits. TALVEX_DEMO_LANGUAGE names the language to start in; otherwise the one last
// picked from the language menu, else the system's.
#include "App/Application/Application.h"
#include "App/Application/EmailDialog/EmailDialog.h"
#include "App/Application/LookAndFeel/LookAndFeelManager.h"
#include "App/Application/Settings/SettingsManager.h"
#include "DemoCustomization.h"
#include "MainWindow.h"

#include <QDir>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>

namespace {

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

std::string StartLanguage(Talvex::App::Application& application)
{
    const QString wanted = qEnvironmentVariable("TALVEX_DEMO_LANGUAGE");
    if (!wanted.isEmpty()) {
        return wanted.toStdString();
    }
    return application.GetProductSettingsManager()->GetString(Talvex::App::LOCALE, std::string());
}

std::shared_ptr<Talvex::App::LookAndFeelManager> LookAndFeel(Talvex::App::Application& application)
{
    auto manager = std::make_shared<Talvex::App::LookAndFeelManager>(
        Talvex::ioPath(QCoreApplication::applicationDirPath().toStdString()), "theme.json", std::list<std::string>());
    manager->Initialize(StartLanguage(application), "Light");
    application.setStyleSheet(QString::fromStdString(manager->GetUnitedStylesheet()));
    application.SetLookAndFeel(manager);
    return manager;
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

void ShowEmailDialogUnattended(const QString& screenshot)
{
    const QString picture = QFileInfo(screenshot).path() + QStringLiteral("/demo-email.png");
    Talvex::EmailDialogCreator::SetFactory([picture](std::shared_ptr<Talvex::App::ISettingsManager> mail,
                                                     std::shared_ptr<Talvex::ILinksManager>, QWidget* parent) {
        std::printf("e-mail dialog shown (picture in %s)\n", qPrintable(picture));
        return std::make_unique<UnattendedEmailDialog>(mail, parent, picture);
    });
}

void SaveScreenshotAndQuit(Talvex::App::Application& application, MainWindow& window, const QString& path)
{
    QTimer::singleShot(300, &window, [&application, &window, path] {
        const bool saved = window.grab().save(path);
        window.SaveMenuPictures(QFileInfo(path).path());
        std::printf("%s %s\n", saved ? "screenshot saved to" : "could not save the screenshot to", qPrintable(path));
        application.TryToQuit();
    });
}

} // namespace

int main(int argc, char** argv)
{
    Talvex::App::Application application(argc, argv);
    application.SetCustomizationManager(std::make_shared<DemoCustomization>(), true);
    RegisterStores(application);
    MainWindow window(application, LookAndFeel(application));
    application.SetMainWindow(&window);
    QObject::connect(&application, &Talvex::App::Application::AutoUpdateCheckRequested, &window,
                     [&window] { window.AddTranslatedLine([] { return MainWindow::tr("Update check requested"); }); });
    QObject::connect(&application, &Talvex::App::Application::AfterShowEmailDialog, &window, [&window] {
        window.AddTranslatedLine([] { return MainWindow::tr("The e-mail dialog was shown"); });
    });

    const QString screenshot = qEnvironmentVariable("TALVEX_DEMO_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        ShowEmailDialogUnattended(screenshot);
    }
    window.show();
    application.Start();
    window.ReportStart();
    if (!screenshot.isEmpty()) {
        SaveScreenshotAndQuit(application, window, screenshot);
    }
    return application.exec();
}
