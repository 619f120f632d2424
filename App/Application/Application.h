#pragma once

#include "App/Application/URLKeys.h"
#include "App/Application/WorkingMode.h"
#include "Platform/Qt/TranslationFunctions.h"

#include <TalvexExport.h>

#include <QApplication>
#include <QCommandLineOption>
#include <QList>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <string>

class QAbstractScrollArea;
class QMainWindow;
class QPixmap;

namespace Talvex {
class ILinksManager;
struct PreferredBrowserContext;
} // namespace Talvex
namespace Talvex::ExternalStimulus {
class IGateway;
}

namespace Talvex::App {

class EventHandler;
class ICustomizationManager;
class ILookAndFeelManager;
class ISettingsManager;
class ISplash;
class ApplicationPrivate;
class TestOptions;

// The QApplication of every product. Construct exactly one in main, register the
// services, call Start, run the event loop and leave it through TryToQuit. Products
// extend it by overriding the virtual operations. GUI thread only.
//
// Construction records this run's crash session at once, installs the crash handler
// that writes this session's crash report (SetCrashHandlerEnabled) and, unless the context says
// otherwise, holds the application's named instance mutex until destruction.
class TALVEX_EXPORT Application : public QApplication {
    Q_OBJECT
    // trUtf8 as well as tr, on Qt 6 too (where it is tr under its old name).
    TALVEX_TR_UTF8
public:
    struct AppContext {
        bool holdInstanceMutex = true;
    };

    enum LaunchType {
        FirstInstall = 1,
        Reinstall = 2,
        Update = 3,
        Regular = 4,
    };

    static const int DAYS_TO_FILE_EXPIRE = 10;

    Application(int& argc, char** argv);
    Application(int& argc, char** argv, const AppContext& context);
    ~Application() override;

    bool notify(QObject* receiver, QEvent* event) override;

    // The own virtual operations, declared in their fixed order (access varies).

    // Launch detection: examines and updates `settings`; call it at most once per store.
    virtual LaunchType CheckFirstLaunch(std::shared_ptr<ISettingsManager> settings) const;
    // Once per process; a second call does nothing.
    virtual void Start();
    // Writes the start-up facts, runs the first-run actions, emits ApplicationStarted.
    // Overrides call the base version.
    virtual void OnStart();
    // Default: RestartApplication(mode, no icon, arguments).
    virtual void TryToRestart(Talvex::Enums::WorkingMode mode, QString arguments);

private:
    // Default: quits the event loop and answers true; override to refuse quitting.
    virtual bool TryToQuitImpl();
    // The product's own diagnostic test options: listed by --test-help, their values
    // read through GetTestOptions() from Start on. Default: none.
    virtual QList<QCommandLineOption> GetAdditionalTestOptions() const;

public:
    // Default: the links manager's address for the key; override to substitute addresses.
    virtual QString GetUrl(const Talvex::URLKeys& key) const;

private:
    // Default: true after an installation, reinstallation or update.
    virtual bool NeedOpenUrlThankForInstall() const;

protected:
    // Default: posts "EMAIL_DIALOG" to the gateway, or shows the dialog at once without one.
    virtual void ShowEmailDialogIfNeeded();

public:
    bool IsStarted() const;
    // The diagnostic test options of the command line (TestOptions.h).
    const TestOptions& GetTestOptions() const;
    bool TryToQuit();
    bool IsQuitting() const;

    QString ApplicationName() const;
    QString GetProductNameAbout() const;
    QString GetPreferredBrowserUserAgent() const;

    std::string SessionId() const;
    bool HasUnreportedCrash();
    std::deque<std::string> GetCrashedSessions() const;
    // Forgets the crashed sessions and removes their crash reports.
    void ClearCrashes();
    // The crash report of a crashed session (UTF-8): the signal or exception, the stack
    // of the crashing thread with function names as far as the debug information on
    // this machine tells, and the last log lines. Empty for a session without a report
    // (one that was killed leaves none, yet is listed as crashed).
    std::string GetCrashReport(const std::string& sessionId) const;
    // The crash handler is installed at construction; a product with a handler of its
    // own turns it off here, before it installs that one.
    void SetCrashHandlerEnabled(bool enabled);
    // Where the crash reports are kept, to show the user; empty when they cannot be kept.
    QString GetCrashReportsFolder() const;

    void SetMainWindow(QMainWindow* window);
    QWidget* GetMainWindow() const;

    // Services. Getters return copies, so a caller keeps a service alive while using it.
    void SetSettingsManager(std::shared_ptr<ISettingsManager> settings);
    std::shared_ptr<ISettingsManager> GetSettingsManager();
    std::shared_ptr<ISettingsManager> GetSettingsManager() const;
    // Falls back to the settings manager.
    void SetProductSettingsManager(std::shared_ptr<ISettingsManager> settings);
    std::shared_ptr<ISettingsManager> GetProductSettingsManager();
    std::shared_ptr<ISettingsManager> GetProductSettingsManager() const;
    // Falls back to the product settings manager.
    void SetMailSettingsManager(std::shared_ptr<ISettingsManager> settings);
    std::shared_ptr<ISettingsManager> GetMailSettingsManager();
    std::shared_ptr<ISettingsManager> GetMailSettingsManager() const;
    void SetLookAndFeel(std::shared_ptr<ILookAndFeelManager> lookAndFeel);
    std::shared_ptr<ILookAndFeelManager> GetLookAndFeel();
    std::shared_ptr<ILookAndFeelManager> GetLookAndFeel() const;
    void SetSplash(std::shared_ptr<ISplash> splash);
    std::shared_ptr<ISplash> GetSplash() const;
    // Also sets the application's name, version and organisation and logs the version;
    // with initLogging it first configures glog for the product.
    void SetCustomizationManager(std::shared_ptr<ICustomizationManager> customization, bool initLogging);
    std::shared_ptr<ICustomizationManager> GetCustomizationManager() const;
    void SetExternalStimulusGateway(const std::shared_ptr<Talvex::ExternalStimulus::IGateway>& gateway);
    std::shared_ptr<Talvex::ExternalStimulus::IGateway> GetExternalStimulusGateway() const;
    // A new store on every call: the product's installer settings (organisation "Talvex"),
    // named `installerName` or, when that is empty, the product code name.
    std::shared_ptr<ISettingsManager> GetInstallerSettings(const std::string& installerName) const;
    // Built on first use from the services set at that moment; throws std::logic_error
    // when the customization or look-and-feel manager or every settings store is missing.
    std::shared_ptr<Talvex::ILinksManager> GetLinksManager() const;

    void RegisterEventHandler(std::shared_ptr<EventHandler> handler);
    void UnregisterEventHandler(std::shared_ptr<EventHandler> handler);

    // Launch detection, cached once per process.
    LaunchType GetProductLaunchType() const;
    LaunchType GetLaunchType() const;
    bool IsFirstLaunch() const;
    bool IsFirstProductLaunch() const;
    int GetDaysPassed() const;
    // True when an installer of the product family is running; waits up to half a second.
    // Then "InstallerMessage.sh" beside the executable tells the user (never one found
    // through the current folder). May be called before the application object exists:
    // the script is then looked for beside the running executable all the same.
    static bool CheckRunnedInstaller();
    void OpenThankForInstall() const;

    // Temporary files. The folder is "<system temporary folder>/<product folder>/temp/",
    // created owner-only, unless another user controls that path: then it is
    // "<user cache folder>/<product folder>/temp/" (see TemporaryFolder.h).
    QString GetApplicationTemporaryFilesDir() const;
    void ClearApplicationTemporaryFiles(int days) const;

    // Called with every scroll area about to be shown, before the show is delivered.
    // The application installs touch scrolling here when constructed; a product may
    // replace it, or switch it off with null.
    using ScrollAreaShowHook = void (*)(QAbstractScrollArea* area);
    static void SetScrollAreaShowHook(ScrollAreaShowHook hook);

signals:
    void AutoUpdateCheckRequested();
    void ApplicationStarted();
    void BeforeShowEmailDialog();
    void AfterShowEmailDialog();

protected slots:
    void OnAboutToQuit();

private:
    void ShowEmailDialog();
    void OpenUrlThankForInstall() const;
    void RequestCheckAutoUpdate() const;
    void RunFirstRunActions();
    void WriteStartFacts();
    void InstallUrlHandler();
    bool DeliverStateChange(QObject* receiver, QEvent* event);
    Talvex::PreferredBrowserContext BrowserContext() const;
    void PostOrRun(const char* name, std::function<void()> action) const;

    const std::unique_ptr<ApplicationPrivate> d;
};

} // namespace Talvex::App
