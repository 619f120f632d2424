// Roles, chosen by the first argument:
//   probe <mutex name>   exits 0 when no process holds the named mutex, 1 when one does
//   record <file> ...    appends its remaining arguments, one per line, to <file>
#include "Platform/Util/AppMutexLocker.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

namespace {

int Probe(const QString& name)
{
    Talvex::Util::AppMutexLocker locker({name.toStdString()});
    return locker.TryLockAppMutex() ? 0 : 1;
}

int Record(const QStringList& arguments)
{
    QFile file(arguments.value(2));
    if (!file.open(QIODevice::Append | QIODevice::Text)) {
        return 2;
    }
    for (const QString& argument : arguments.mid(3)) {
        file.write(argument.toUtf8() + '\n');
    }
    file.write("--\n");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString role = arguments.value(1);
    if (role == QLatin1String("probe")) {
        return Probe(arguments.value(2));
    }
    if (role == QLatin1String("record")) {
        return Record(arguments);
    }
    return 3;
}
