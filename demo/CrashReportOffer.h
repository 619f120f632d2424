#pragma once

#include <QCoreApplication>

#include <string>

class QWidget;

class MainWindow;

namespace Talvex::App {
class Application;
}

// At start, when an earlier run crashed: asks whether to prepare a crash report (the
// crashed sessions and the product's version, in a file of the temporary folder that
// the user can attach to a mail) and then forgets the crashes, so the question comes
// once. Unattended runs are not asked and the crashes stay recorded.
//
// The report of the last crashed session is shown in a dialog first (ShowReport): the
// text the library kept, a Copy button and the folder the reports are in.
class CrashReportOffer {
    Q_DECLARE_TR_FUNCTIONS(CrashReportOffer)
public:
    static void Run(Talvex::App::Application& application, MainWindow& window, bool unattended);
    // Modal; returns when the user closes it.
    static void ShowReport(Talvex::App::Application& application, QWidget& parent, const std::string& sessionId);

private:
    static QString WriteReport(Talvex::App::Application& application);
};
