#include "common/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace Talvex::Test {
namespace {

void PointAt(const char* variable, const QString& folder, QFile::Permissions permissions)
{
    QDir().mkpath(folder);
    QFile::setPermissions(folder, permissions);
    qputenv(variable, QFile::encodeName(folder));
}

} // namespace

TestEnvironment::TestEnvironment() : root(QDir::tempPath() + QStringLiteral("/talvex-test-XXXXXX"))
{
    const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const auto normal = ownerOnly | QFile::ReadGroup | QFile::ExeGroup;
    PointAt("XDG_CONFIG_HOME", root.path() + QStringLiteral("/config"), normal);
    PointAt("XDG_DATA_HOME", root.path() + QStringLiteral("/data"), normal);
    PointAt("XDG_CACHE_HOME", root.path() + QStringLiteral("/cache"), normal);
    PointAt("XDG_RUNTIME_DIR", root.path() + QStringLiteral("/runtime"), ownerOnly);
    PointAt("TMPDIR", root.path() + QStringLiteral("/tmp"), normal);
}

TestEnvironment::~TestEnvironment() = default;

void TestEnvironment::Keep()
{
    root.setAutoRemove(false);
    std::fprintf(stderr, "Kept the test folder %s\n", qPrintable(root.path()));
}

} // namespace Talvex::Test
