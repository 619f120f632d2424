// Helper program of the Application tests. Its role is the first argument:
//   session-quit  start a crash session, report it, stop normally
//   session-hold  start a crash session, report it, then wait for a line (or end of
//                 input) on stdin and stop normally; tests may SIGKILL it instead
// The report is "session <id>", one "crashed <id>" line per crashed session found,
// then "ready", each on its own line and flushed at once.
#include "App/Application/CrashTracker.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

void Report(const Talvex::App::CrashTracker& tracker)
{
    std::printf("session %s\n", tracker.SessionId().c_str());
    for (const std::string& crashed : tracker.BadSessionsList()) {
        std::printf("crashed %s\n", crashed.c_str());
    }
    std::printf("ready\n");
    std::fflush(stdout);
}

int RunSession(bool hold)
{
    Talvex::App::CrashTracker tracker;
    Report(tracker);
    if (hold) {
        std::string line;
        std::getline(std::cin, line);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString role = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (role == QLatin1String("session-quit")) {
        return RunSession(false);
    }
    if (role == QLatin1String("session-hold")) {
        return RunSession(true);
    }
    std::fprintf(stderr, "unknown role '%s'\n", qPrintable(role));
    return 2;
}
