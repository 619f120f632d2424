#include "common/TestEnvironment.h"

#include <QApplication>

#include <glog/logging.h>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Before anything reads a standard path: every suite (and the helper programs it
    // starts, which inherit the environment) works in a private temporary home.
    Talvex::Test::TestEnvironment environment;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    google::InitGoogleLogging(argv[0]);
    FLAGS_logtostderr = false;
    FLAGS_stderrthreshold = google::GLOG_FATAL;
    ::testing::InitGoogleTest(&argc, argv);
#ifndef TALVEX_TEST_NO_APP
    QApplication app(argc, argv);
#endif
    const int result = RUN_ALL_TESTS();
    if (result != 0) {
        environment.Keep();
    }
    return result;
}
