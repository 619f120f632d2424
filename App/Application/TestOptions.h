#pragma once

#include <TalvexExport.h>

#include <QCommandLineOption>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace Talvex::App {

class Application;
class CrashTracker;
class TestOptionsPrivate;

// The diagnostic command-line options for automated tests of a product ("--test-help"
// lists them; the README has the table). The application reads the library's own
// options when it is constructed and the product's (Application::
// GetAdditionalTestOptions) in OnStart; a product reads any of them through
// Application::GetTestOptions(). Malformed values are logged as ERROR lines and
// ignored; options the library does not know are left to the product. GUI thread only.
class TALVEX_EXPORT TestOptions {
public:
    // Called by the application's constructor: reads the library's options, arms the
    // crash time-out and, for the URL log, takes http and https links over from the
    // preferred browser.
    TestOptions(Application& application, CrashTracker& crashTracker);
    ~TestOptions();

    // Called by OnStart: with --test-help prints the help and ends the process with
    // status 0; otherwise reads the product's options, applies the test locale, writes
    // the list of product web addresses, and runs `finishStart` (the rest of the start)
    // now or after the start delay.
    void OnStart(const QList<QCommandLineOption>& productOptions, std::function<void()> finishStart);

    // Whether the option of this name (as QCommandLineOption names it, without dashes)
    // was given with a valid value, and that value (empty for a switch). The product's
    // own options are known from Start on.
    bool IsSet(const QString& name) const;
    QString Value(const QString& name) const;
    // The folder the test files go to, created on first use. Since it may lie where
    // other users reach, it must be a real folder of ours that nobody else can write
    // (one we create is owner-only); a --test-output-dir that is not is ignored for the
    // default; so is one below a folder that another user may change (the sticky bit
    // of the system's temporary folder excepted). A folder of ours that only our group
    // may also write is closed to the group and used. Empty when no usable folder can
    // be known or created (all logged).
    QString OutputDir() const;
    // The language --test-locale forces, as given; empty without the option. While it
    // is given, LookAndFeelManager shows it (or, when it is not shipped, what it
    // resolves to) whatever language the product asks for.
    QString ForcedLocale() const;

private:
    const std::unique_ptr<TestOptionsPrivate> d;
};

} // namespace Talvex::App
