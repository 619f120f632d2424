#include "App/Application/Application.h"

#include "App/Application/Application_p.h"
#include "App/Application/EmailDialog/EmailDialogCreator.h"
#include "App/Application/FirstLaunchCheck.h"
#include "App/Application/Gesture/GestureSupport_p.h"
#include "App/Application/InstallerCheck.h"
#include "App/Application/NotNull.h"
#include "App/Application/RestartApplication.h"
#include "App/Application/Settings/SettingsManager.h"
#include "App/Application/TemporaryFolder.h"
#include "App/Application/TestOptions.h"
#include "App/Application/ThankYouPage.h"
#include "Platform/Links/LinksManager.h"
#include "Platform/Logging/EarlyLogLines.h"
#include "Platform/Logging/InitGlog.h"
#include "Platform/Logging/LogLine.h"
#include "Platform/Logging/LoggingApi_p.h"
#include "Platform/Util/AppBits.h"
#include "Platform/Util/RemoveDir.h"
#include "Platform/Util/SpontaneousDialog.h"
#include "Platform/Util/TextConversion.h"
#include "Platform/Util/VersionToString.h"

#include <QDesktopServices>
#include <QDir>
#include <QPixmap>
#include <QThread>
#include <QTimer>

#include <boost/algorithm/string/replace.hpp>

namespace Talvex::App {
namespace {

const char INSTANCE_MUTEX[] = "{2FFDCD54-CDEE-4C13-9DD4-533DC7585800}";
const char* const BUILD_INFORMATION[] = {"FFmpeg version: ffmpeg/4.0.1-6@sdk_pkg/testing", "Build commit: 5f600fc"};
const int AUTO_UPDATE_DELAY_MS = 5000;

std::function<QString(const QString&, const QString&)> Reader(std::shared_ptr<ISettingsManager> settings)
{
    return [settings](const QString& key, const QString& defaultValue) {
        return Util::Utf8ToQString(settings->GetString(Util::QStringToUtf8(key), Util::QStringToUtf8(defaultValue)));
    };
}

} // namespace

ApplicationPrivate::ApplicationPrivate(QObject* application)
    : nativeEventFilter(new NativeEventFilter(application)),
      preferredBrowser(std::make_shared<Talvex::PreferredBrowser>())
{
}

ApplicationPrivate::~ApplicationPrivate() = default;

Application::Application(int& argc, char** argv) : Application(argc, argv, AppContext())
{
}

Application::Application(int& argc, char** argv, const AppContext& context)
    : QApplication(argc, argv), d(std::make_unique<ApplicationPrivate>(this))
{
    // First, so that a crash anywhere after this point leaves a report.
    d->crashReports = std::make_unique<CrashReports>(CrashReports::DefaultFolder(), d->crashTracker.SessionId());
    d->crashReports->SetHandlerEnabled(true);
    if (context.holdInstanceMutex) {
        d->instanceMutex = Native::NamedMutex::Create(INSTANCE_MUTEX);
    }
    QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false);
    installNativeEventFilter(d->nativeEventFilter.get());
    Gesture::InstallGestureSupport(*this, *d->nativeEventFilter);
    InstallUrlHandler();
    connect(this, SIGNAL(aboutToQuit()), this, SLOT(OnAboutToQuit()));
    d->testOptions = std::make_unique<TestOptions>(*this, d->crashTracker);
    d->preferredBrowser->SetContextCallback([this] { return BrowserContext(); });
}

// Asked from inside link handling, where an exception would cross Qt's slot
// invocation: a service that is not registered yet reads as unknown.
PreferredBrowserContext Application::BrowserContext() const
{
    PreferredBrowserContext context;
    if (const auto lookAndFeel = d->lookAndFeelManager) {
        context.locale = Util::Utf8ToQString(lookAndFeel->GetCurrentLocale());
    }
    if (d->customizationManager) {
        context.installerBrowser = Util::Utf8ToQString(GetInstallerSettings(std::string())->GetString("Browser", ""));
    }
    if (const auto product = GetProductSettingsManager()) {
        context.preferredBrowser = Util::Utf8ToQString(product->GetString("PreferredBrowser", ""));
    }
    return context;
}

Application::~Application()
{
    d->productSettingsManager.reset();
    d->splash.reset();
    d->settingsManager.reset();
    d->lookAndFeelManager.reset();
    d->customizationManager.reset();
    for (const char* scheme : {"http", "https"}) {
        QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }
}

void Application::InstallUrlHandler()
{
    d->urlHandler = new Talvex::URLHandler(this, d->preferredBrowser);
    for (const char* scheme : {"http", "https"}) {
        QDesktopServices::setUrlHandler(QLatin1String(scheme), d->urlHandler, "OpenURLWithPreferredBrowser");
    }
}

void Application::Start()
{
    if (d->started) {
        return;
    }
    d->started = true;
    if (const auto splash = d->splash) {
        splash->BringToFront();
    }
    OnStart();
}

void Application::OnStart()
{
    TALVEX_VLOG(30) << "Preferred browser path " << Util::QStringToUtf8(d->preferredBrowser->Path());
    WriteStartFacts();
    // Logging is set up by now; what the library wrote before may have reached stderr only.
    EarlyLogLines::Replay();
    d->testOptions->OnStart(GetAdditionalTestOptions(), [this] {
        RunFirstRunActions();
        emit ApplicationStarted();
    });
}

void Application::WriteStartFacts()
{
    const auto product = GetProductSettingsManager();
    if (!product) {
        TALVEX_LOG(ERROR) << "Application started without a settings manager";
        return;
    }
    product->SetString("PreferredBrowser", Util::QStringToUtf8(d->preferredBrowser->Path()));
    product->SetString("ArchitectBits", "x" + Util::AppBits());
    product->SetString("Path", Util::QStringToUtf8(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) +
                                                   QDir::separator()));
}

void Application::RunFirstRunActions()
{
    const auto customization = d->customizationManager;
    if (!customization) {
        TALVEX_LOG(ERROR) << "Application started without a customization manager; first-run actions skipped";
    } else if (customization->GetDistributionType() == 0 && !customization->SkipsFirstRunActions()) {
        ShowEmailDialogIfNeeded();
        OpenThankForInstall();
    }
    RequestCheckAutoUpdate();
}

bool Application::IsStarted() const
{
    return d->started;
}

bool Application::TryToQuit()
{
    d->quitting = TryToQuitImpl();
    // QCoreApplication::quit only ends loops that already run; a quit granted before
    // exec (from ApplicationStarted or a first-run dialog) would otherwise be lost.
    if (d->quitting && QThread::currentThread()->loopLevel() == 0) {
        QMetaObject::invokeMethod(this, &QCoreApplication::quit, Qt::QueuedConnection);
    }
    return d->quitting;
}

bool Application::TryToQuitImpl()
{
    QCoreApplication::quit();
    return true;
}

bool Application::IsQuitting() const
{
    return d->quitting;
}

void Application::OnAboutToQuit()
{
    d->crashTracker.StopSession();
}

QList<QCommandLineOption> Application::GetAdditionalTestOptions() const
{
    return {};
}

const TestOptions& Application::GetTestOptions() const
{
    return *d->testOptions;
}

QString Application::ApplicationName() const
{
    if (const auto customization = d->customizationManager) {
        return Util::Utf8ToQString(customization->GetApplicationName());
    }
    return QCoreApplication::applicationName();
}

QString Application::GetProductNameAbout() const
{
    return Util::Utf8ToQString(NotNull<ICustomizationManager>(d->customizationManager)->GetAboutProductName());
}

QString Application::GetPreferredBrowserUserAgent() const
{
    return d->preferredBrowser->UserAgent();
}

std::string Application::SessionId() const
{
    return d->crashTracker.SessionId();
}

bool Application::HasUnreportedCrash()
{
    return d->crashTracker.HasUnreportedCrash();
}

std::string Application::GetCrashReport(const std::string& sessionId) const
{
    return d->crashReports->Get(sessionId);
}

QString Application::GetCrashReportsFolder() const
{
    return d->crashReports->Folder();
}

void Application::SetCrashHandlerEnabled(bool enabled)
{
    d->crashReports->SetHandlerEnabled(enabled);
}

std::deque<std::string> Application::GetCrashedSessions() const
{
    return d->crashTracker.BadSessionsList();
}

void Application::ClearCrashes()
{
    d->crashTracker.ClearHistory();
    d->crashReports->Clear();
}

void Application::SetMainWindow(QMainWindow* window)
{
    Util::SpontaneousDialog::SetMainWindow(window);
}

QWidget* Application::GetMainWindow() const
{
    return Util::SpontaneousDialog::GetMainWindow();
}

// Services

void Application::SetSettingsManager(std::shared_ptr<ISettingsManager> settings)
{
    d->settingsManager = std::move(settings);
}

std::shared_ptr<ISettingsManager> Application::GetSettingsManager()
{
    return d->settingsManager;
}

std::shared_ptr<ISettingsManager> Application::GetSettingsManager() const
{
    return d->settingsManager;
}

void Application::SetProductSettingsManager(std::shared_ptr<ISettingsManager> settings)
{
    d->productSettingsManager = std::move(settings);
}

std::shared_ptr<ISettingsManager> Application::GetProductSettingsManager()
{
    return std::as_const(*this).GetProductSettingsManager();
}

std::shared_ptr<ISettingsManager> Application::GetProductSettingsManager() const
{
    return d->productSettingsManager ? d->productSettingsManager : d->settingsManager;
}

void Application::SetMailSettingsManager(std::shared_ptr<ISettingsManager> settings)
{
    d->mailSettingsManager = std::move(settings);
}

std::shared_ptr<ISettingsManager> Application::GetMailSettingsManager()
{
    return std::as_const(*this).GetMailSettingsManager();
}

std::shared_ptr<ISettingsManager> Application::GetMailSettingsManager() const
{
    return d->mailSettingsManager ? d->mailSettingsManager : GetProductSettingsManager();
}

void Application::SetLookAndFeel(std::shared_ptr<ILookAndFeelManager> lookAndFeel)
{
    d->lookAndFeelManager = std::move(lookAndFeel);
}

std::shared_ptr<ILookAndFeelManager> Application::GetLookAndFeel()
{
    return d->lookAndFeelManager;
}

std::shared_ptr<ILookAndFeelManager> Application::GetLookAndFeel() const
{
    return d->lookAndFeelManager;
}

void Application::SetSplash(std::shared_ptr<ISplash> splash)
{
    d->splash = std::move(splash);
}

std::shared_ptr<ISplash> Application::GetSplash() const
{
    return d->splash;
}

void Application::SetCustomizationManager(std::shared_ptr<ICustomizationManager> customization, bool initLogging)
{
    d->customizationManager = std::move(customization);
    const auto& manager = *NotNull<ICustomizationManager>(d->customizationManager);
    if (initLogging) {
        // Set first: the logging set-up reads the product name from the environment.
        qputenv("GLOG_PRODUCT_NAME", QByteArray::fromStdString(manager.GetProductCodeName()));
        InitGlog(std::string());
    }
    QCoreApplication::setApplicationName(Util::Utf8ToQString(manager.GetApplicationName()));
    const QString version = Util::VersionToString(manager.GetVersion(), 0, QStringLiteral("."));
    QCoreApplication::setApplicationVersion(version);
    d->crashReports->SetProduct(manager.GetApplicationName(), Util::QStringToUtf8(version));
    QCoreApplication::setOrganizationName(Util::Utf8ToQString(manager.GetOrganizationName()));
    TALVEX_LOG(INFO) << "Product Version: " << Util::QStringToUtf8(version);
    for (const char* line : BUILD_INFORMATION) {
        TALVEX_LOG(INFO) << line;
    }
    const LoggingApi* glog = Glog();
    if (glog && *glog->verbosity >= 1) {
        TALVEX_LOG(INFO) << "Verbose logging enabled. Level=" << *glog->verbosity;
    }
}

std::shared_ptr<ICustomizationManager> Application::GetCustomizationManager() const
{
    return d->customizationManager;
}

void Application::SetExternalStimulusGateway(const std::shared_ptr<Talvex::ExternalStimulus::IGateway>& gateway)
{
    d->gateway = gateway;
}

std::shared_ptr<Talvex::ExternalStimulus::IGateway> Application::GetExternalStimulusGateway() const
{
    return d->gateway;
}

std::shared_ptr<ISettingsManager> Application::GetInstallerSettings(const std::string& installerName) const
{
    const std::string name = installerName.empty()
                                 ? NotNull<ICustomizationManager>(d->customizationManager)->GetProductCodeName()
                                 : installerName;
    return std::make_shared<SettingsManager>(Util::Utf8ToQString(name), QStringLiteral("Talvex"));
}

std::shared_ptr<Talvex::ILinksManager> Application::GetLinksManager() const
{
    if (d->linksManager) {
        return d->linksManager;
    }
    const NotNull<ICustomizationManager> customization(d->customizationManager);
    const NotNull<ILookAndFeelManager> lookAndFeel(d->lookAndFeelManager);
    const NotNull<ISettingsManager> mail(GetMailSettingsManager());
    const auto installer = GetInstallerSettings(std::string());
    const auto identity = [customization] {
        return ProductIdentity{Util::Utf8ToQString(customization->GetApplicationName()),
                               Util::Utf8ToQString(customization->GetProductCodeName()),
                               Util::VersionToString(customization->GetVersion(), 0, QStringLiteral("."))};
    };
    const auto locale = [lookAndFeel] { return Util::Utf8ToQString(lookAndFeel->GetCurrentLocale()); };
    d->linksManager = std::make_shared<LinksManager>(identity, locale, Reader(mail.shared()), Reader(installer));
    return d->linksManager;
}

QString Application::GetUrl(const Talvex::URLKeys& key) const
{
    return GetLinksManager()->GetUrl(key);
}

void Application::RegisterEventHandler(std::shared_ptr<EventHandler> handler)
{
    d->nativeEventFilter->Register(std::move(handler));
}

void Application::UnregisterEventHandler(std::shared_ptr<EventHandler> handler)
{
    d->nativeEventFilter->Unregister(std::move(handler));
}

// Launch detection and first-run actions

Application::LaunchType Application::CheckFirstLaunch(std::shared_ptr<ISettingsManager> settings) const
{
    const auto product = GetProductSettingsManager();
    if (!settings || !product) {
        TALVEX_LOG(ERROR) << "Launch detection needs a settings manager";
        return Regular;
    }
    std::string version = Util::QStringToUtf8(QCoreApplication::applicationVersion());
    boost::algorithm::replace_all(version, ".", "-");
    return LaunchType(
        FirstLaunchCheck::Run(*settings, *product, settings == product, version, QDateTime::currentDateTime()));
}

// A launch type computed without its store (it reads as a regular run) is never
// cached: that would hide a first installation once the stores are registered.
Application::LaunchType Application::GetProductLaunchType() const
{
    const auto product = GetProductSettingsManager();
    if (!product) {
        return CheckFirstLaunch(product);
    }
    if (!d->productLaunchType.known) {
        d->productLaunchType = {true, CheckFirstLaunch(product)};
    }
    if (product == d->settingsManager) {
        d->launchType = d->productLaunchType;
    }
    return LaunchType(d->productLaunchType.value);
}

Application::LaunchType Application::GetLaunchType() const
{
    GetProductLaunchType();
    if (!d->settingsManager) {
        return CheckFirstLaunch(d->settingsManager);
    }
    if (!d->launchType.known) {
        d->launchType = {true, CheckFirstLaunch(d->settingsManager)};
    }
    return LaunchType(d->launchType.value);
}

bool Application::IsFirstLaunch() const
{
    const LaunchType type = GetLaunchType();
    return type == FirstInstall || type == Update;
}

bool Application::IsFirstProductLaunch() const
{
    const LaunchType type = GetProductLaunchType();
    return type == FirstInstall || type == Update;
}

int Application::GetDaysPassed() const
{
    const QDateTime now = QDateTime::currentDateTime();
    const auto product = GetProductSettingsManager();
    const std::string fallback = Util::QStringToUtf8(now.toString(Qt::TextDate));
    const std::string text = product ? product->GetString("DateOfFirstStart", fallback) : fallback;
    return static_cast<int>(QDateTime::fromString(Util::Utf8ToQString(text), Qt::TextDate).daysTo(now));
}

bool Application::CheckRunnedInstaller()
{
    return InstallerCheck::Run();
}

void Application::PostOrRun(const char* name, std::function<void()> action) const
{
    if (const auto gateway = d->gateway) {
        Talvex::ExternalStimulus::Stimulus stimulus{name, std::move(action)};
        gateway->Post(stimulus);
        return;
    }
    action();
}

void Application::ShowEmailDialogIfNeeded()
{
    PostOrRun("EMAIL_DIALOG", [this] { ShowEmailDialog(); });
}

void Application::ShowEmailDialog()
{
    const LaunchType type = GetProductLaunchType();
    if (type != FirstInstall && type != Update) {
        return;
    }
    const auto mail = GetMailSettingsManager();
    const bool registered = mail && mail->GetString("IsRegUser", std::string()) == "1";
    if (!NotNull<ICustomizationManager>(d->customizationManager)->IsEmailDialogEnabled() || registered ||
        type != FirstInstall) {
        return;
    }
    emit BeforeShowEmailDialog();
    std::unique_ptr<IEmailDialog> dialog = EmailDialogCreator::Create(mail, GetLinksManager(), GetMainWindow());
    if (!dialog) {
        TALVEX_LOG(ERROR) << "Failed to create Email Dialog Impl";
        emit AfterShowEmailDialog();
        return;
    }
    dialog->Show();
    emit AfterShowEmailDialog();
}

void Application::OpenThankForInstall() const
{
    PostOrRun("THANK_FOR_INSTALL", [this] { OpenUrlThankForInstall(); });
}

bool Application::NeedOpenUrlThankForInstall() const
{
    const LaunchType type = GetProductLaunchType();
    return type == FirstInstall || type == Reinstall || type == Update;
}

void Application::OpenUrlThankForInstall() const
{
    if (!NeedOpenUrlThankForInstall()) {
        return;
    }
    if (NotNull<ICustomizationManager>(d->customizationManager)->GetPostInstallPage() != "thankyou") {
        return;
    }
    const QString url = GetUrl(GetProductLaunchType() == FirstInstall ? Talvex::URLKeys::THANK_FOR_INSTALL_URL
                                                                      : Talvex::URLKeys::THANK_FOR_REINSTALL_URL);
    if (url.isEmpty()) {
        return;
    }
    const std::string installer = GetInstallerSettings(std::string())->GetString("InstallerName", std::string());
    GetLinksManager()->OpenUrl(ThankYouPage::WithDistributionId(url, installer));
}

void Application::RequestCheckAutoUpdate() const
{
    const auto product = GetProductSettingsManager();
    if (product && product->GetBool("autoUpdate", true)) {
        QTimer::singleShot(AUTO_UPDATE_DELAY_MS, this, SIGNAL(AutoUpdateCheckRequested()));
    }
}

// Temporary files and restart

QString Application::GetApplicationTemporaryFilesDir() const
{
    return TemporaryFolder::Locate(
        Util::Utf8ToQString(NotNull<ICustomizationManager>(d->customizationManager)->GetProductFolderName()));
}

void Application::ClearApplicationTemporaryFiles(int days) const
{
    const QString folder = QDir(GetApplicationTemporaryFilesDir()).absolutePath();
    TALVEX_LOG(INFO) << "Removing all temporary files from directory " << Util::QStringToUtf8(folder);
    Util::RemoveDir(folder, days, false);
}

void Application::TryToRestart(Talvex::Enums::WorkingMode mode, QString arguments)
{
    RestartApplication(mode, QPixmap(), arguments);
}

} // namespace Talvex::App
