#include "App/Application/ProcessHelpers.h"

#include "App/Application/Application.h"
#include "Platform/Core/AppLocations.h"
#include "Platform/Core/DyLib.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace {

// Texts of the two graphics-driver warnings, translated in "SharedMessages"; %1 is the
// address of the instructions or the download, %2 the product's link style.
const char* const GPU_NEED_SETUP_DRIVER_MESSAGE = QT_TRANSLATE_NOOP(
    "SharedMessages",
    "NVIDIA<sup>&reg;</sup> CUDA&#8482; acceleration has been disabled in NVIDIA<sup>&reg;</sup> Control Panel. "
    "To enable CUDA&#8482; acceleration for Talvex Clipforge, select <b>High-performance NVIDIA<sup>&reg;</sup> "
    "processor</b> as your preferred graphics processor in NVIDIA<sup>&reg;</sup> Control "
    "Panel.<br><br><a href=\"%1\" style=\"%2\">Detailed Instructions</a>");

const char* const GPU_UNSUPPORTED_DRIVER_MESSAGE = QT_TRANSLATE_NOOP(
    "SharedMessages",
    "Unfortunately, the currently installed graphics card driver does not support NVIDIA<sup>&reg;</sup> "
    "CUDA&#8482; acceleration.<br><br>You can install an earlier version of the NVIDIA<sup>&reg;</sup> graphics "
    "card driver to enable CUDA&#8482; acceleration. To do that, simply download the installation package and "
    "follow the manufacturer's instructions to install the driver.<br><br><a href=\"%1\" style=\"%2\">Download "
    "Driver</a>");

#if defined(_WIN32)
#define TALVEX_SYSTEM_CALL __stdcall
#else
#define TALVEX_SYSTEM_CALL
#endif

// Without awareness the system scales whole windows as bitmaps, which keeps layouts
// designed for 96 DPI intact.
const int PROCESS_DPI_UNAWARE = 0;
using SetProcessDpiAwarenessFunction = long(TALVEX_SYSTEM_CALL*)(int);

// Qt 5 scales only when asked to; Qt 6 always scales unless its environment says not
// to, and by default passes fractional factors through where Qt 5 rounded them.
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
void DisableQtHighDpiScaling()
{
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
}

void EnableQtHighDpiScaling()
{
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
}
#else
void DisableQtHighDpiScaling()
{
}

void EnableQtHighDpiScaling()
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
}
#endif

QString DriverMessage(const char* text, const Talvex::URLKeys& key)
{
    auto* application = qobject_cast<Talvex::App::Application*>(QCoreApplication::instance());
    Q_ASSERT_X(application, "driver message", "needs a running Talvex::App::Application");
    const QString url = application->GetUrl(key);
    const QString style = application->property("linkStyle").toString();
    return QCoreApplication::translate("SharedMessages", text).arg(url, style);
}

} // namespace

namespace Talvex::App {

void HighDpiFix()
{
    if (qgetenv("TALVEX_DPI_POLICY") == "NOSCALE") {
        DisableQtHighDpiScaling();
        return;
    }
    Core::DyLib shcore;
    if (shcore.Open(ioPath("Shcore.dll"))) {
        if (void* entry = shcore.GetProc("SetProcessDpiAwareness")) {
            reinterpret_cast<SetProcessDpiAwarenessFunction>(entry)(PROCESS_DPI_UNAWARE);
            return;
        }
    }
    EnableQtHighDpiScaling();
}

void UseDesktopOpenGL()
{
    QCoreApplication::setAttribute(Qt::AA_UseDesktopOpenGL, true);
}

ioPath GetPathToResources()
{
    ioPath path;
    Core::AppLocations::GetLocations().GetResourcesPath(path);
    return path;
}

ioPath GetPathToFontConfigFile()
{
    ioPath path;
    Core::AppLocations::GetLocations().GetFontConfigPath(path);
    return path;
}

} // namespace Talvex::App

QString GetGPUNeedSetupDriverMessage(const Talvex::URLKeys& key)
{
    return DriverMessage(GPU_NEED_SETUP_DRIVER_MESSAGE, key);
}

QString GetGPUUnsupportedDriverMessage(const Talvex::URLKeys& key)
{
    return DriverMessage(GPU_UNSUPPORTED_DRIVER_MESSAGE, key);
}
