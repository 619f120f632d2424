// Runs one set-up step that can happen only once per process and prints the outcome.
#include "App/Application/ProcessHelpers.h"
#include "Platform/Logging/InitGlog.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <glog/logging.h>

#include <cstdio>
#include <cstring>

namespace {

// Whether Qt was set up to scale for high DPI: Qt 5 is asked through an attribute; Qt 6
// scales unless its environment turns scaling off, and is asked to round as Qt 5 did.
bool QtScalingArranged()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return qgetenv("QT_ENABLE_HIGHDPI_SCALING") != "0" &&
           QGuiApplication::highDpiScaleFactorRoundingPolicy() == Qt::HighDpiScaleFactorRoundingPolicy::Round;
#else
    return QCoreApplication::testAttribute(Qt::AA_EnableHighDpiScaling);
#endif
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "dpi") == 0) {
        qunsetenv("QT_ENABLE_HIGHDPI_SCALING");
        argc >= 3 ? qputenv("TALVEX_DPI_POLICY", argv[2]) : qunsetenv("TALVEX_DPI_POLICY");
        Talvex::App::HighDpiFix();
        std::printf("scaling=%d\n", QtScalingArranged() ? 1 : 0);
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "glog") == 0) {
        Talvex::App::InitGlog("");
        Talvex::App::InitGlog(argc >= 3 ? argv[2] : "");
        LOG(INFO) << "logged";
        google::FlushLogFiles(google::GLOG_INFO);
        std::printf("v=%d\nlog_dir=%s\n", static_cast<int>(FLAGS_v), FLAGS_log_dir.c_str());
        return 0;
    }
    return 2;
}
