// The client programs of the Wayland tests; the role is the first argument:
//  "window APP_ID": a window that follows its input and answers lines on its standard
//      input: "token" (prints "token=<token>" or "token=" and the reason on stderr),
//      "activate <token>", "quit";
//  "master APP_ID ASK": a master window that starts a "slave" and answers its hand-back
//      through the library's master side (ASK 0 answers as a master that never asks for
//      a token); prints "slave <pid>" when the slave runs, then "activated" or "left";
//  "slave MODE": a window that hands the focus back once typed into ("close": and
//      closes; "stay": and stays open; "plain": as a slave that never sends a token).
#include "Platform/Native/WaylandActivation.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QSocketNotifier>
#include <QTimer>
#include <QTimer>

#include <cstdio>
#include <vector>

#include <unistd.h>

using namespace Talvex;

namespace {

class Window : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(), size()), Qt::darkCyan); }
    void keyPressEvent(QKeyEvent*) override { typedInto = true; }

public:
    bool typedInto = false;
};

void Say(const QByteArray& line)
{
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
}

void ShowWindow(Window& window)
{
    window.resize(200, 150);
    window.show();
    Native::FollowInputSerials();
}

void Answer(Window& window, const QByteArray& line)
{
    if (line == "token") {
        QString reason;
        const QString token = Native::RequestActivationToken(&window, 2000, &reason);
        std::fprintf(stderr, "%s\n", qPrintable(reason));
        Say("token=" + token.toUtf8());
    } else if (line.startsWith("activate ")) {
        QString reason;
        Say(Native::ActivateWithToken(&window, QString::fromUtf8(line.mid(9)), &reason) ? "activating"
                                                                                          : reason.toUtf8());
    } else if (line == "quit") {
        QCoreApplication::quit();
    }
}

int RunWindow()
{
    Window window;
    ShowWindow(window);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[4096];
        const ssize_t size = ::read(STDIN_FILENO, line, sizeof(line) - 1);
        if (size <= 0) {
            QCoreApplication::quit();
            return;
        }
        for (const QByteArray& command : QByteArray(line, static_cast<int>(size)).split('\n')) {
            Answer(window, command.trimmed());
        }
    });
    Say("ready");
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QGuiApplication::setDesktopFileName(arguments.value(2));
    if (arguments.value(1) == QLatin1String("window")) {
        return RunWindow();
    }
    return 2;
}
