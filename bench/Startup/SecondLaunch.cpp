// Usage: SecondLaunch <bare|launch|instance> [code name]
// The second-launch figure: "launch" is a product's second start, which hands its
// command line to the running instance of `code name` and exits before any application
// object exists; "bare" its baseline, a QCoreApplication in a program linked to the
// library in the same way, which starts and exits; "instance" the running instance,
// which prints "ready" once its event loop runs and serves launches until it is
// terminated or, when its standard input is a pipe, until that closes.
#include "App/Application/SingleInstance.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

int Serve(int argc, char** argv)
{
    Talvex::App::SingleInstance instance(argc, argv, argv[2]);
    if (!instance.IsRunningInstance()) {
        return 4;
    }
    QCoreApplication app(argc, argv);
    struct stat input {};
    QSocketNotifier closing(STDIN_FILENO, QSocketNotifier::Read);
    closing.setEnabled(::fstat(STDIN_FILENO, &input) == 0 && S_ISFIFO(input.st_mode));
    QObject::connect(&closing, &QSocketNotifier::activated, [&] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof(buffer)) <= 0) {
            QCoreApplication::quit();
        }
    });
    QTimer::singleShot(0, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "bare") == 0) {
        QCoreApplication app(argc, argv);
        return 0;
    }
    if (argc < 3) {
        return 2;
    }
    if (std::strcmp(argv[1], "instance") == 0) {
        return Serve(argc, argv);
    }
    const Talvex::App::SingleInstance instance(argc, argv, argv[2]);
    return instance.HandedOver() ? 0 : 3;
}
