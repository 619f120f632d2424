// The client programs of the Wayland tests; the role is the first argument:
//  "window APP_ID": a window that follows its input and answers lines on its standard
//      input: "token" (prints "token=<token>" or "token=" and the reason on stderr),
//      "activate <token>", "quit";
//  "master APP_ID PLAIN SLAVE_MODE": a master window that starts a slave and answers its
//      hand-back through the library's master side (PLAIN 1: by hand, as a master that
//      never asks for a token); prints every other message as "extra=<message>";
//  "slave APP_ID MODE": a window that prints "slave <pid>" and hands the focus back once
//      typed into, then: "close" closes, "stay" stays open; "plain" hands back as a slave
//      that reads only the reply's first two fields and prints "reply <id>".
#include "App/Application/IPC/IIPCClient.h"
#include "App/Application/IPC/IPCFocusTransfererMaster.h"
#include "App/Application/IPC/IPCFocusTransfererSlave.h"
#include "App/Application/IPC/IPCManager.h"
#include "Platform/Native/ProcessHandle.h"
#include "Platform/Native/WaylandActivation.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QSocketNotifier>
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

// Either end as a product would write it by hand.
class Link : public App::IIPCClient {
public:
    void SetCommunicationChannel(boost::intrusive_ptr<Core::IDataChannel> newChannel) override { channel = newChannel; }
    void SetAppHandler(long long handle) override { Native::CloseHandle(handle); }
    void ChannelClosed() override { channel.reset(); }
    QByteArray Next()
    {
        const std::size_t waiting = channel ? channel->GetWaitingInputSize() : 0;
        std::vector<char> message(waiting);
        message.resize(waiting ? channel->Read(message.data(), waiting) : 0);
        return QByteArray(message.data(), static_cast<int>(message.size()));
    }
    boost::intrusive_ptr<Core::IDataChannel> channel;
};

void AnswerByHand(Window& window, Core::IDataChannel& channel)
{
    const QByteArray reply = "yes=" + QByteArray::number(window.winId());
    channel.Write(reply.constData(), static_cast<std::size_t>(reply.size()));
}

int RunMaster(const QStringList& arguments)
{
    Window window;
    ShowWindow(window);
    Link link;
    App::IPCFocusTransfererMaster master(&window);
    const bool plain = arguments.value(3) == QLatin1String("1");
    const QString slave =
        QStringLiteral("slave ") + arguments.value(2) + QStringLiteral(".slave ") + arguments.value(4);
    if (!App::IPCManager::LaunchSlave(link, QStringLiteral("WaylandHelper"), slave, true)) {
        return 1;
    }
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const QByteArray message = link.Next();
        if (message.isEmpty()) {
            return;
        }
        if (plain && message == "applicationClosed") {
            AnswerByHand(window, *link.channel);
        } else if (plain || !master.HandleMessage(message, *link.channel)) {
            Say("extra=" + message);
        }
    });
    poll.start(20);
    Say("ready");
    return QCoreApplication::exec();
}

// A slave that knows only the closing message and the reply's first two fields.
void HandBackPlainly()
{
    Link link;
    if (!App::IPCManager::SetUpSlaveClient(link, false)) {
        return;
    }
    link.channel->Write("applicationClosed", 17);
    const QList<QByteArray> fields = link.Next().split('=');
    if (fields.size() > 1 && fields.front() == "yes") {
        Say("reply " + fields.at(1));
    }
}

void HandBack(const QString& mode)
{
    if (mode == QLatin1String("plain")) {
        HandBackPlainly();
    } else {
        App::IPCFocusTransfererSlave::Instance().GiveFocusToParent();
    }
}

int RunSlave(const QString& mode)
{
    if (mode != QLatin1String("plain")) {
        App::IPCFocusTransfererSlave::Instance();
    }
    Window window;
    ShowWindow(window);
    Say("slave " + QByteArray::number(QCoreApplication::applicationPid()));
    QTimer typed;
    QObject::connect(&typed, &QTimer::timeout, [&] {
        if (!window.typedInto) {
            return;
        }
        typed.stop();
        HandBack(mode);
        if (mode != QLatin1String("stay")) {
            QCoreApplication::quit();
        }
    });
    typed.start(20);
    // A slave left open ends with its compositor, or after a while.
    QTimer::singleShot(30000, &QCoreApplication::quit);
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QGuiApplication::setDesktopFileName(arguments.value(2));
    const QString role = arguments.value(1);
    if (role == QLatin1String("window")) {
        return RunWindow();
    }
    if (role == QLatin1String("master")) {
        return RunMaster(arguments);
    }
    return role == QLatin1String("slave") ? RunSlave(arguments.value(3)) : 2;
}
