// Roles, chosen by the first argument:
//   hold <name>         holds the named mutex, prints "ready", and keeps it until its
//                       standard input closes
//   restart <arguments> builds an application and restarts it silently with <arguments>
// Started with anything else, it is a restarted copy: it appends its arguments, one per
// line, then "--", to the file that TALVEX_RESTART_RECORD names.
#include "App/Application/Application.h"
#include "Platform/Native/NamedMutex.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    const QString role = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (role == QLatin1String("hold") && argc > 2) {
        const auto mutex = Talvex::Native::NamedMutex::Create(argv[2]);
        if (!mutex) {
            return 2;
        }
        std::printf("ready\n");
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
        return 0;
    }
    if (role == QLatin1String("restart")) {
        Talvex::App::Application::AppContext context;
        context.holdInstanceMutex = false;
        Talvex::App::Application application(argc, argv, context);
        application.TryToRestart(Talvex::Enums::Silent, QCoreApplication::arguments().value(2));
        return application.IsQuitting() ? 0 : 1;
    }
    QFile record(qEnvironmentVariable("TALVEX_RESTART_RECORD"));
    if (!record.open(QIODevice::Append | QIODevice::Text)) {
        return 3;
    }
    for (int i = 1; i < argc; ++i) {
        record.write(QByteArray(argv[i]) + '\n');
    }
    record.write("--\n");
    return 0;
}
