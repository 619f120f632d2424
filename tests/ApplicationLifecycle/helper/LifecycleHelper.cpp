// Roles, chosen by the first argument:
//   probe <mutex name>   exits 0 when no process holds the named mutex, 1 when one does
//   record <file> ...    appends its remaining arguments, one per line, then "--", to <file>
#include "Platform/Util/AppMutexLocker.h"

#include <QFile>

#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "probe") == 0) {
        Talvex::Util::AppMutexLocker locker({argv[2]});
        return locker.TryLockAppMutex() ? 0 : 1;
    }
    QFile file(QFile::decodeName(argc > 2 ? argv[2] : ""));
    if (argc < 3 || std::strcmp(argv[1], "record") != 0 || !file.open(QIODevice::Append | QIODevice::Text)) {
        return 3;
    }
    for (int i = 3; i < argc; ++i) {
        file.write(QByteArray(argv[i]) + '\n');
    }
    file.write("--\n");
    return 0;
}
