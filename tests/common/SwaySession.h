#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace Talvex::Test {

// A headless sway of the test's own: no devices, a software renderer, one output and
// `focus_on_window_activation focus`, so that a valid activation token focuses its
// window. sway refuses to run as root; run by root it becomes "nobody" in a runtime
// folder of its own. Its clients get a runtime folder each and the compositor's socket
// as an absolute path. Stopped (and its folders removed) with this object.
class SwaySession {
public:
    enum class Activation { Offered, Hidden };
    // With Activation::Hidden, clients see no window-activation global, as on a
    // compositor without that protocol.
    explicit SwaySession(Activation activation = Activation::Offered);
    ~SwaySession();
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    // Empty once sway answers; else why it could not be started, for a skip.
    QString Problem() const { return problem; }

    // The environment of a client process on this compositor (Qt on Wayland, no X).
    QProcessEnvironment ClientEnvironment();

    // Types `text` into the focused window through a virtual keyboard that lives as
    // long as the typing, so the window's client receives input serials.
    bool Type(const QString& text);

    // The process id of the focused window's client, 0 when no window has the focus.
    long long FocusedPid() const;
    // The focused window's app id; empty when none has the focus.
    QString FocusedAppId() const;
    // Waits (bounded) until the window of process `pid` has the focus.
    bool WaitForFocus(long long pid, int timeoutMs = 5000) const;
    // swaymsg with these arguments; its standard output, empty on failure.
    QByteArray Message(const QStringList& arguments) const;

private:
    bool Start(Activation activation);
    bool WriteConfig();
    bool CopyHidingModule(QProcessEnvironment& environment);
    bool WaitUntilAnswering();
    QJsonObject FocusedWindow() const;
    QProcessEnvironment ToolEnvironment() const;

    QTemporaryDir root;
    QString compositorFolder;
    QString socket;
    QString ipcSocket;
    QProcess sway;
    QString problem;
    int clients = 0;
};

} // namespace Talvex::Test
