#pragma once

#include <TalvexExport.h>

#include <QObject>
#include <QStringList>

#include <memory>
#include <string>

namespace Talvex::App {

class SingleInstancePrivate;

// One running instance per user, product and graphical session. Made first thing in
// main, before the Application, from the command line and the product's code name:
//
//     Talvex::App::SingleInstance instance(argc, argv, "my-product");
//     if (instance.HandedOver())
//         return 0; // the running instance has our command line and comes forward
//
// Either this process becomes the running instance (it holds the claim until its event
// loop ends, the object goes or the product restarts), or it hands its arguments, working folder and
// the launcher's activation token to the running one, which then emits LaunchedAgain on
// its GUI thread and brings its main window (or the modal or active window) forward
// with that token. The token is taken out of the environment for the hand-over and put
// back when the launch starts on its own: when the running instance does not answer
// within a second (WARNING), the command line is too large to hand over (WARNING), or
// the meeting place is not safe to use (ERROR). A slave started through IPCManager is
// never handed over and never claims.
//
// Construct it on the main thread; LaunchedAgain is emitted there once an application
// object exists and its event loop runs.
class TALVEX_EXPORT SingleInstance : public QObject {
    Q_OBJECT
public:
    SingleInstance(int argc, char** argv, const std::string& codeName);
    ~SingleInstance() override;

    // True when the running instance took this launch: the product leaves main.
    bool HandedOver() const;
    // True while this process is the running instance.
    bool IsRunningInstance() const;
    // Gives up the claim of whatever instance this process is, so that the next launch
    // becomes the running instance (a restart does this before it starts the copy).
    static void ReleaseClaim();

signals:
    // One launch's command line, as QCoreApplication::arguments() gives it (the program
    // first), and the folder it was started in, for relative file names.
    void LaunchedAgain(const QStringList& arguments, const QString& workingFolder);

private:
    void Deliver(const QStringList& arguments, const QString& workingFolder);

    const std::unique_ptr<SingleInstancePrivate> d;
    friend class SingleInstancePrivate;
};

} // namespace Talvex::App
