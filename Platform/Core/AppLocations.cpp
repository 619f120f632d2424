#include "Platform/Core/AppLocations.h"

#include <QCoreApplication>
#include <QtGlobal>

namespace Talvex::Core {

AppLocations& AppLocations::GetLocations()
{
    static AppLocations* const instance = new AppLocations;
    return *instance;
}

AppLocations::~AppLocations() = default;

void AppLocations::GetResourcesPath(ioPath& result) const
{
    const QString fromEnvironment = qEnvironmentVariable("TALVEX_RESOURCES_DIR");
    if (!fromEnvironment.isEmpty()) {
        result = ioPath(fromEnvironment);
        return;
    }
    result = ioPath(QCoreApplication::applicationDirPath()) / "resources";
}

void AppLocations::GetFontConfigPath(ioPath& result) const
{
    ioPath resources;
    GetResourcesPath(resources);
    result = resources / "fonts.conf";
}

} // namespace Talvex::Core
