#include "common/OtherUserProgram.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <link.h>

namespace Talvex::Test {
namespace {

// Our libraries as this process loaded them, by the names the loader looks for; the
// helper links the same ones.
int CollectOurs(dl_phdr_info* info, size_t, void* found)
{
    const QString name = QFile::decodeName(info->dlpi_name);
    if (QFileInfo(name).fileName().startsWith(QLatin1String("libTalvex"))) {
        static_cast<QStringList*>(found)->append(name);
    }
    return 0;
}

const QFileDevice::Permissions READABLE_BY_ALL = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                 QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;

} // namespace

OtherUserProgram::OtherUserProgram(const QString& program) : folder(QStringLiteral("/var/tmp/talvex-helper-XXXXXX"))
{
    if (!folder.isValid() || !QFile::setPermissions(folder.path(), READABLE_BY_ALL)) {
        problem = QStringLiteral("no folder for the helper's copy in /var/tmp");
        return;
    }
    QStringList libraries;
    dl_iterate_phdr(&CollectOurs, &libraries);
    for (const QString& library : libraries) {
        if (!CopyReadable(library, folder.filePath(QFileInfo(library).fileName()))) {
            return;
        }
    }
    if (CopyReadable(program, folder.filePath(QFileInfo(program).fileName()))) {
        path = folder.filePath(QFileInfo(program).fileName());
    }
}

QProcessEnvironment OtherUserProgram::Environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString before = environment.value(QStringLiteral("LD_LIBRARY_PATH"));
    environment.insert(QStringLiteral("LD_LIBRARY_PATH"),
                       before.isEmpty() ? folder.path() : folder.path() + QLatin1Char(':') + before);
    return environment;
}

bool OtherUserProgram::CopyReadable(const QString& from, const QString& to)
{
    if (!QFile::copy(from, to) || !QFile::setPermissions(to, READABLE_BY_ALL)) {
        problem = QStringLiteral("cannot copy %1 where another user can run it").arg(from);
        return false;
    }
    return true;
}

} // namespace Talvex::Test
