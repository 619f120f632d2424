// Helper program of the Application tests: starts a crash session and prints
// "session <id>", one "crashed <id>" line per crashed session found, then "ready",
// flushed at once. With the role "session-hold" it then waits for a line (or end of
// input) on stdin before it stops normally, and tests may SIGKILL it instead; with
// "session-quit" it stops at once.
#include "App/Application/CrashTracker.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Talvex::App::CrashTracker tracker;
    std::printf("session %s\n", tracker.SessionId().c_str());
    for (const std::string& crashed : tracker.BadSessionsList()) {
        std::printf("crashed %s\n", crashed.c_str());
    }
    std::printf("ready\n");
    std::fflush(stdout);
    if (argc > 1 && std::strcmp(argv[1], "session-hold") == 0) {
        std::string line;
        std::getline(std::cin, line);
    }
    return 0;
}
