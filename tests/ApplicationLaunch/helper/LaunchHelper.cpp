// "hold <name>" holds the named mutex, prints "ready", and keeps it until stdin closes;
// "restart <arguments>" builds an application and restarts it silently with <arguments>;
// "installer" prints whether CheckRunnedInstaller saw an installer ("running"/"none"),
// without an application object, as a product may ask before it makes one.
// Started otherwise it is a restarted copy: it appends its arguments, one per line, then
// "--", to the file that TALVEX_RESTART_RECORD names.
#include "App/Application/Application.h"
#include "Platform/Native/NamedMutex.h"

#include <QFile>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "hold") == 0) {
        const auto mutex = Talvex::Native::NamedMutex::Create(argv[2]);
        std::puts(mutex ? "ready" : "failed");
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "installer") == 0) {
        std::puts(Talvex::App::Application::CheckRunnedInstaller() ? "running" : "none");
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "restart") == 0) {
        Talvex::App::Application::AppContext context;
        context.holdInstanceMutex = false;
        Talvex::App::Application application(argc, argv, context);
        application.TryToRestart(Talvex::Enums::Silent, QString::fromLocal8Bit(argc > 2 ? argv[2] : ""));
        return application.IsQuitting() ? 0 : 1;
    }
    QFile record(qEnvironmentVariable("TALVEX_RESTART_RECORD"));
    if (!record.open(QIODevice::Append | QIODevice::Text)) {
        return 3;
    }
    for (int i = 1; i < argc; ++i) {
        record.write(QByteArray(argv[i]) + '\n');
    }
    return record.write("--\n") == 3 ? 0 : 2;
}
