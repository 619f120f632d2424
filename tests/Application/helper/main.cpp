// Helper program of the Application tests: starts a crash session and prints
// "session <id>", "taking" when it found crashed sessions, one "crashed <id>" line per
// crashed session once it took the list (as a product does), then "ready", flushed at
// once. With the role "session-hold" it then runs its event loop until a line (or end
// of input) comes on stdin, and stops normally, and tests may SIGKILL it instead; with
// "session-quit" it stops at once. "session-claim" holds like "session-hold" but never
// takes the list, so it prints no crashed sessions and keeps them claimed. With
// "guard-stop <file>" it takes the session file's write guard, prints "held" and stops
// itself (SIGSTOP) while holding it. The crash roles are described in CrashRoles.cpp.
#include "App/Application/CrashTracker.h"
#include "Platform/Native/FileWriteGuard.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

int RunCrashRole(int argc, char** argv);

int main(int argc, char** argv)
{
    if (const int result = RunCrashRole(argc, argv); result >= 0) {
        return result;
    }
    if (argc > 2 && std::strcmp(argv[1], "guard-stop") == 0) {
        const Talvex::Native::FileWriteGuard guard(QString::fromLocal8Bit(argv[2]));
        std::printf(guard.IsHeld() ? "held\n" : "not held\n");
        std::fflush(stdout);
        std::raise(SIGSTOP);
        return 0;
    }
    QCoreApplication app(argc, argv);
    Talvex::App::CrashTracker tracker;
    std::printf("session %s\n", tracker.SessionId().c_str());
    const bool claimOnly = argc > 1 && std::strcmp(argv[1], "session-claim") == 0;
    if (!claimOnly) {
        // Told before the list is taken, as a kill between taking it and printing it
        // loses what it held, the product's part; before, the claim keeps it.
        if (tracker.HasUnreportedCrash()) {
            std::printf("taking\n");
            std::fflush(stdout);
        }
        // As a product takes the list: once taken, no other start reports these.
        for (const std::string& crashed : tracker.BadSessionsList()) {
            std::printf("crashed %s\n", crashed.c_str());
        }
    }
    std::printf("ready\n");
    std::fflush(stdout);
    if (claimOnly || (argc > 1 && std::strcmp(argv[1], "session-hold") == 0)) {
        // Waits in the event loop, as a product does: a claim that could not be given up
        // at once goes from there.
        QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(&input, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
        app.exec();
    }
    return 0;
}
