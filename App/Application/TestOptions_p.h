#pragma once

#include "App/Application/CrashTimeout.h"
#include "App/Application/TestOptionParser.h"

#include <QObject>
#include <QStringList>
#include <QUrl>

#include <memory>

namespace Talvex::App {

class Application;
class CrashTracker;
class LogURLHandler;

// Also the stand-in link handler from construction until the URL log file can be
// opened: the default output folder is the product's temporary folder, which is known
// only once the customization manager is registered.
class TestOptionsPrivate : public QObject {
    Q_OBJECT
public:
    TestOptionsPrivate(Application& application, CrashTracker& crashTracker);

    void CheckGivenOutputDir();
    QString OutputDir();
    QString UrlsLogPath();
    LogURLHandler* OpenUrlsLog();
    void ApplyLocale() const;
    void ListProductUrls();
    bool ProductUrls(QStringList& addresses, QByteArray& text) const;
    void LogOptionsInEffect() const;
    void ReportErrors();
    [[noreturn]] void PrintHelpAndExit(const QList<QCommandLineOption>& productOptions);

    Application& application;
    CrashTracker& crashTracker;
    TestOptionValues values;
    QString outputDir;
    LogURLHandler* urlsLog = nullptr;
    std::unique_ptr<CrashTimeout> crashTimeout;

public slots:
    void logUrls(const QUrl& url);
};

} // namespace Talvex::App
