#pragma once

#include <QCoreApplication>

class MainWindow;

namespace Talvex::App {
class Application;
}

// At start, when an earlier run crashed: asks whether to prepare a crash report (the
// crashed sessions and the product's version, in a file of the temporary folder that
// the user can attach to a mail) and then forgets the crashes, so the question comes
// once. Unattended runs are not asked and the crashes stay recorded.
class CrashReportOffer {
    Q_DECLARE_TR_FUNCTIONS(CrashReportOffer)
public:
    static void Run(Talvex::App::Application& application, MainWindow& window, bool unattended);

private:
    static QString WriteReport(Talvex::App::Application& application);
};
