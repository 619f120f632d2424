// Roles, chosen by the first argument:
//   record <file> ...   appends its remaining arguments, one per line, and "--" to <file>
//   hold <name>         holds the named mutex, prints "ready", and keeps it until its
//                       standard input closes
//   restart <arguments> builds an application and restarts it silently with <arguments>
// Started with anything else while TALVEX_RESTART_RECORD is set, it is a restarted copy:
// it appends all its arguments, then "--", to that file.
#include "App/Application/Application.h"
#include "Platform/Native/NamedMutex.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <memory>

namespace {

int Record(const QString& path, const QStringList& lines)
{
    QFile file(path);
    if (!file.open(QIODevice::Append | QIODevice::Text)) {
        return 2;
    }
    for (const QString& line : lines) {
        file.write(line.toUtf8() + '\n');
    }
    file.write("--\n");
    return 0;
}

int Hold(const QString& name)
{
    const auto mutex = Talvex::Native::NamedMutex::Create(name.toStdString());
    if (!mutex) {
        return 2;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}

int Restart(int argc, char** argv)
{
    Talvex::App::Application::AppContext context;
    context.holdInstanceMutex = false;
    Talvex::App::Application application(argc, argv, context);
    application.TryToRestart(Talvex::Enums::Silent, QCoreApplication::arguments().value(2));
    return application.IsQuitting() ? 0 : 1;
}

QStringList Arguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

} // namespace

int main(int argc, char** argv)
{
    const QStringList arguments = Arguments(argc, argv);
    const QString role = arguments.value(0);
    if (role == QLatin1String("record")) {
        return Record(arguments.value(1), arguments.mid(2));
    }
    if (role == QLatin1String("hold")) {
        return Hold(arguments.value(1));
    }
    if (role == QLatin1String("restart")) {
        return Restart(argc, argv);
    }
    const QString restartRecord = qEnvironmentVariable("TALVEX_RESTART_RECORD");
    return restartRecord.isEmpty() ? 3 : Record(restartRecord, arguments);
}
