// The smallest product: opens its settings store, starts a crash session, says what
// it found and quits normally. A run killed before its end shows up as a crashed
// session in the next run.
#include "App/Application/CrashTracker.h"
#include "App/Application/Settings/SettingsManager.h"

#include <QCoreApplication>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Like the application object, the tracker starts before the product names itself.
    Talvex::App::CrashTracker crashTracker;
    QCoreApplication::setOrganizationName(QStringLiteral("Talvex"));
    QCoreApplication::setApplicationName(QStringLiteral("TalvexDemo"));
    Talvex::App::SettingsManager settings(QCoreApplication::applicationName(), QCoreApplication::organizationName());

    const int runs = settings.GetInt("demo/runCount", 0) + 1;
    settings.SetInt("demo/runCount", runs);
    std::printf("run %d, session %s\n", runs, crashTracker.SessionId().c_str());
    if (!crashTracker.HasUnreportedCrash()) {
        std::printf("no crashed sessions of earlier runs\n");
    }
    for (const std::string& crashed : crashTracker.BadSessionsList()) {
        std::printf("crashed session of an earlier run: %s\n", crashed.c_str());
    }
    crashTracker.StopSession();
    return 0;
}
