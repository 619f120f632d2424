#pragma once

#include "App/Application/CrashReports.h"
#include "App/Application/CrashTracker.h"
#include "App/Application/ICustomizationManager.h"
#include "App/Application/IGateway.h"
#include "App/Application/ISplash.h"
#include "App/Application/LookAndFeel/ILookAndFeelManager.h"
#include "App/Application/NativeEventFilter.h"
#include "App/Application/Settings/ISettingsManager.h"
#include "App/Application/TestOptions.h"
#include "Platform/Browser/PreferredBrowser.h"
#include "Platform/Browser/URLHandler.h"
#include "Platform/Links/ILinksManager.h"
#include "Platform/Native/NamedMutex.h"

#include <memory>

namespace Talvex::App {

// A launch type computed once per process.
struct LaunchTypeCache {
    bool known = false;
    int value = 0;
};

// The application's state. Declaration order is destruction order in reverse: the
// crash record goes before the services it might log through, and the instance mutex
// is released last.
class ApplicationPrivate {
public:
    explicit ApplicationPrivate(QObject* application);
    ~ApplicationPrivate();

    std::shared_ptr<Native::NamedMutex> instanceMutex;
    // Deleted in its place in the order below, after the services and the crash tracker
    // that may still rely on its handlers; Qt's parent link to the application is then
    // dropped with it.
    std::unique_ptr<NativeEventFilter> nativeEventFilter;
    std::shared_ptr<ICustomizationManager> customizationManager;
    std::shared_ptr<ILookAndFeelManager> lookAndFeelManager;
    std::shared_ptr<ISettingsManager> settingsManager;
    std::shared_ptr<ISplash> splash;
    std::shared_ptr<ISettingsManager> productSettingsManager;
    std::shared_ptr<ISettingsManager> mailSettingsManager;
    std::shared_ptr<Talvex::ILinksManager> linksManager;
    bool started = false;
    bool quitting = false;
    CrashTracker crashTracker;
    // Reports into the tracker's folder, for the tracker's session.
    std::unique_ptr<CrashReports> crashReports;
    LaunchTypeCache productLaunchType;
    LaunchTypeCache launchType;
    Talvex::URLHandler* urlHandler = nullptr;
    std::shared_ptr<Talvex::PreferredBrowser> preferredBrowser;
    std::shared_ptr<Talvex::ExternalStimulus::IGateway> gateway;
    // Last, so it goes first: its crash time-out must not outlive the application.
    std::unique_ptr<TestOptions> testOptions;
};

} // namespace Talvex::App
