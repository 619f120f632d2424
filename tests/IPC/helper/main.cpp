// The second process of the IPC tests; its role is its first argument: slaves
// "report", "handback FILE [TIMEOUT]", "watch FILE", "nullhandle FILE" (recording in
// FILE), "quit", a "master FILE" of a watch slave, a "foreign PATH" user, "xmaster"/"xmaster-library"/"xslave".

#include "../../common/WaitUntil.h"
#include "App/Application/IPC/IPCFocusTransfererMaster.h"
#include "App/Application/IPC/IPCFocusTransfererSlave.h"
#include "App/Application/IPC/IPCManager.h"
#include "Client.h"
#include "Platform/IO/CommunicationChannel.h"
#include "Platform/Native/ProcessHandle.h"
#include "Platform/Native/WindowActivation.h"

#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>
#include <QWindow>

#include <cstdio>

#include <linux/securebits.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

using namespace Talvex;

namespace {

using Test::Client;

void Record(const QString& file, const QByteArray& text)
{
    QSaveFile out(file);
    if (file != QLatin1String("-") && out.open(QIODevice::WriteOnly)) {
        out.write(text);
        out.commit();
    }
}

// Prints whether it joined its master; then sends back its arguments, folder and master.
int Report()
{
    Client client;
    const bool joined = App::IPCManager::SetUpSlaveClient(client, false);
    std::printf("result=%d master=%lld\n", joined ? 1 : 0, Native::ProcessIdOf(client.handle));
    const QByteArray text = QCoreApplication::arguments().mid(1).join(QLatin1Char('|')).toUtf8() + "\n" +
                            QDir::currentPath().toUtf8() + "\n" +
                            QByteArray::number(Native::ProcessIdOf(client.handle));
    if (joined) {
        client.channel->Write(text.constData(), static_cast<std::size_t>(text.size()));
    }
    return 0;
}

int HandBack(const QStringList& arguments)
{
    if (arguments.value(3).toInt() > 0) {
        Core::CommunicationChannel::SetDefaultTimeout(arguments.value(3).toInt());
    }
    QByteArray activated = "activated=";
    Native::SetActivateWindowFunction(
        [&](unsigned long long window) { activated += QByteArray::number(window) + ","; });
    auto& slave = App::IPCFocusTransfererSlave::Instance();
    slave.GiveFocusToParent();
    slave.GiveFocusToParent();
    const bool stopped = Test::WaitUntil([&] { return !slave.IsConnected(); });
    Record(arguments.at(2), activated + (stopped ? "\nconnected=0\n" : "\nconnected=1\n"));
    return 0;
}

// Records "FILE.up" once joined and FILE once the master is taken to be gone.
int Watch(const QString& file, bool nullHandle)
{
    auto& slave = App::IPCFocusTransfererSlave::Instance();
    Record(file + QStringLiteral(".up"), slave.IsConnected() ? "connected=1\n" : "connected=0\n");
    if (nullHandle) {
        slave.SetAppHandler(0);
    }
    if (Test::WaitUntil([&] { return !slave.IsConnected(); }, 30000)) {
        Record(file, "disconnected\n");
    }
    return 0;
}

int Master(const QString& file)
{
    QString id;
    App::IPCManager::SetPipeIdGenerator([&] { return (id = QString::number(std::rand())).toInt(); });
    Client client;
    if (!App::IPCManager::LaunchSlave(client, QStringLiteral("IPCHelper"), QStringLiteral("watch ") + file, false)) {
        return 1;
    }
    std::printf("launched %s\n", qPrintable(id));
    std::fflush(stdout);
    return QCoreApplication::exec();
}

// Keeps every capability while becoming "nobody", so that only the peer check can refuse.
int Foreign(const char* path)
{
    if (::prctl(PR_SET_SECUREBITS, SECBIT_NO_SETUID_FIXUP) != 0 || ::setresuid(65534, 65534, 65534) != 0) {
        std::printf("skip\n");
        return 0;
    }
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", path);
    if (::connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        return 1;
    }
    std::printf("connected\n");
    std::fflush(stdout);
    const timeval limit{5, 0};
    ::setsockopt(descriptor, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
    char buffer[64];
    std::printf("got %zd\n", ::recv(descriptor, buffer, sizeof(buffer), 0));
    return 0;
}

xcb_window_t FocusedWindow()
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    auto* reply = xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
    const xcb_window_t focus = reply ? reply->focus : 0;
    std::free(reply);
    xcb_disconnect(connection);
    return focus;
}

bool ShowFocused(QWindow& window)
{
    window.resize(200, 200);
    window.show();
    // Without a window manager the focus can only be set once the window is mapped.
    return Test::WaitUntil([&] {
        if (window.isExposed() && FocusedWindow() != window.winId()) {
            window.requestActivate();
        }
        return window.isExposed() && FocusedWindow() == window.winId();
    });
}

// `byLibrary`: the library's master side answers, else a reply written by hand.
int XMaster(bool byLibrary)
{
    QWindow window;
    std::printf("x-ready\n");
    std::fflush(stdout);
    Client client;
    if (!ShowFocused(window) ||
        !App::IPCManager::LaunchSlave(client, QStringLiteral("IPCHelper"), QStringLiteral("xslave"), false)) {
        return 1;
    }
    client.channel->SetTimeout(20000);
    char message[17];
    if (client.channel->Read(message, sizeof(message)) != sizeof(message) || FocusedWindow() == window.winId()) {
        std::printf("the slave did not take the focus before handing it back\n");
        return 1;
    }
    if (byLibrary) {
        App::IPCFocusTransfererMaster(&window).HandleMessage(QByteArray(message, sizeof(message)), *client.channel);
    } else {
        const QByteArray reply = "yes=" + QByteArray::number(window.winId());
        client.channel->Write(reply.constData(), static_cast<std::size_t>(reply.size()));
    }
    const bool back = Test::WaitUntil([&] { return FocusedWindow() == window.winId(); }, 10000);
    std::printf(back ? "focus=back\n" : "focus=elsewhere\n");
    return back ? 0 : 1;
}

int XSlave()
{
    QWindow window;
    if (ShowFocused(window)) {
        App::IPCFocusTransfererSlave::Instance().GiveFocusToParent();
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const QByteArray role = argc > 1 ? argv[1] : "";
    if (role == "foreign" && argc > 2) {
        return Foreign(argv[2]);
    }
    if (role.startsWith('x')) {
        QGuiApplication app(argc, argv);
        return role.startsWith("xmaster") ? XMaster(role == "xmaster-library") : XSlave();
    }
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (role == "report") {
        return Report();
    }
    if (role == "handback") {
        return HandBack(arguments);
    }
    if (role == "quit") {
        return App::IPCFocusTransfererSlave::Instance().IsConnected() ? 0 : 1;
    }
    if (role == "master") {
        return Master(arguments.value(2));
    }
    return role == "watch" || role == "nullhandle" ? Watch(arguments.value(2), role == "nullhandle") : 2;
}
