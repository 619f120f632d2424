// Runs one process-wide set-up step in a fresh process and reports the outcome on
// stdout, for the steps that can happen only once per process.
#include "App/Application/ProcessHelpers.h"
#include "Platform/Logging/InitGlog.h"

#include <QCoreApplication>

#include <glog/logging.h>

#include <cstdio>
#include <cstring>

namespace {

int ReportDpiScaling()
{
    Talvex::App::HighDpiFix();
    std::printf("scaling=%d\n", QCoreApplication::testAttribute(Qt::AA_EnableHighDpiScaling) ? 1 : 0);
    return 0;
}

int ReportGlogSetup(const char* arguments)
{
    // Twice on purpose: a second set-up must not initialise glog again (which aborts).
    Talvex::App::InitGlog("");
    Talvex::App::InitGlog(arguments);
    LOG(INFO) << "support helper was here";
    google::FlushLogFiles(google::GLOG_INFO);
    std::printf("v=%d\nlog_dir=%s\n", static_cast<int>(FLAGS_v), FLAGS_log_dir.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "dpi") == 0) {
        return ReportDpiScaling();
    }
    if (argc >= 2 && std::strcmp(argv[1], "glog") == 0) {
        return ReportGlogSetup(argc >= 3 ? argv[2] : "");
    }
    std::fprintf(stderr, "usage: %s dpi | glog [arguments]\n", argv[0]);
    return 2;
}
