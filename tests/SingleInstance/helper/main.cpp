// The launches of the one-instance tests; the role is the first argument, then the
// product's code name and the folder the records go to:
//   launch CODE DIR [ARGS]     a product's start: one SingleInstance over its whole
//                              command line, then, unless handed over, an event loop
//                              until DIR/stop exists
//   big CODE DIR KIB           the same with about KIB KiB of made-up arguments
//   restart CODE DIR           a running instance that restarts itself at once
//   foreign-send SOCKET DIR    as user "nobody", hands a well-formed command line to
//                              the instance at SOCKET and records what came back
//   foreign-hold SOCKET DIR    as user "nobody", holds the claim that goes with SOCKET
//                              and listens there until DIR/stop exists
// The two foreign roles keep the rights to reach our folders, so that only the user
// checks can refuse them.
// Each start appends "<role> <pid> <arguments>" to DIR/roles (running, handed-over,
// alone); every hand-over received appends a line to DIR/received. With
// TALVEX_HELPER_WINDOW set, an instance shows a window and appends "<pid> <window id>"
// to DIR/windows.
#include "App/Application/Application.h"
#include "App/Application/SingleInstance.h"
#include "Platform/Native/HandOverMessage.h"
#include "Platform/Native/InstanceClaim.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QTimer>

#include <glog/logging.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <linux/securebits.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Talvex::App::SingleInstance;

// Something drawn, so that a compositor maps the window.
class Window : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(), size()), Qt::darkMagenta); }
};

QString folder;

void Append(const char* file, const QByteArray& line)
{
    const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + QLatin1String(file));
    const int descriptor = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor >= 0) {
        const QByteArray text = line + '\n';
        [[maybe_unused]] const ssize_t written = ::write(descriptor, text.constData(), std::size_t(text.size()));
        ::close(descriptor);
    }
}

// The arguments after the folder, shortened; with their whole size.
QByteArray Summary(const QStringList& arguments)
{
    qsizetype bytes = 0;
    for (const QString& argument : arguments) {
        bytes += argument.toUtf8().size();
    }
    return arguments.mid(4).join(QLatin1Char(' ')).left(100).toUtf8() + " bytes=" + QByteArray::number(bytes);
}

const char* RoleOf(const SingleInstance& instance)
{
    return instance.HandedOver() ? "handed-over" : instance.IsRunningInstance() ? "running" : "alone";
}

void RecordRole(const SingleInstance& instance, int argc, char** argv)
{
    QByteArray line = QByteArray(RoleOf(instance)) + ' ' + QByteArray::number(::getpid());
    for (int i = 4; i < argc; ++i) {
        line += ' ' + QByteArray(argv[i]).left(100);
    }
    Append("roles", line);
}

void RecordHandOver(const QStringList& arguments, const QString& workingFolder)
{
    Append("received", Summary(arguments) + " folder=" + workingFolder.toUtf8() + " startup=" +
                           qgetenv("DESKTOP_STARTUP_ID") + " env-token=" + qgetenv("XDG_ACTIVATION_TOKEN"));
}

int RunUntilStopped(int argc, char** argv, SingleInstance& instance)
{
    std::unique_ptr<QCoreApplication> application;
    if (qEnvironmentVariableIsSet("TALVEX_HELPER_WINDOW")) {
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QObject::connect(&instance, &SingleInstance::LaunchedAgain, &RecordHandOver);
    std::unique_ptr<Window> window;
    if (qEnvironmentVariableIsSet("TALVEX_HELPER_WINDOW")) {
        window = std::make_unique<Window>();
        window->resize(100, 100);
        window->show();
        Append("windows", QByteArray::number(::getpid()) + ' ' + QByteArray::number(window->winId()));
    }
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [] {
        if (QFile::exists(folder + QStringLiteral("/stop"))) {
            QCoreApplication::quit();
        }
    });
    poll.start(20);
    QTimer::singleShot(60000, &QCoreApplication::quit);
    return QCoreApplication::exec();
}

int Launch(int argc, char** argv)
{
    SingleInstance instance(argc, argv, argv[2]);
    RecordRole(instance, argc, argv);
    return instance.HandedOver() ? 0 : RunUntilStopped(argc, argv, instance);
}

// About `kib` KiB of arguments in pieces the system would also take one by one.
int Big(int argc, char** argv)
{
    const int kib = QByteArray(argv[4]).toInt();
    std::vector<QByteArray> pieces;
    for (int i = 0; i < kib / 64; ++i) {
        pieces.push_back(QByteArray(64 * 1024 - 1, 'a' + char(i % 26)));
    }
    std::vector<char*> made(argv, argv + argc);
    for (QByteArray& piece : pieces) {
        made.push_back(piece.data());
    }
    made.push_back(nullptr);
    return Launch(int(made.size()) - 1, made.data());
}

// A product that takes its time to quit (it saves its work first): its event loop still
// runs, and would take a launch, while the copy starts.
class SlowToQuit : public Talvex::App::Application {
public:
    using Application::Application;

protected:
    bool TryToQuitImpl() override
    {
        QTimer::singleShot(1500, this, &QCoreApplication::quit);
        return true;
    }
};

int Restart(int argc, char** argv)
{
    SingleInstance instance(argc, argv, argv[2]);
    RecordRole(instance, argc, argv);
    Talvex::App::Application::AppContext context;
    context.holdInstanceMutex = false;
    SlowToQuit application(argc, argv, context);
    QObject::connect(&instance, &SingleInstance::LaunchedAgain, &RecordHandOver);
    QTimer::singleShot(0, [&] {
        application.TryToRestart(Talvex::Enums::Silent,
                                 QStringLiteral("launch %1 \"%2\" restarted").arg(QLatin1String(argv[2]), folder));
    });
    return QCoreApplication::exec();
}

bool BecomeNobody()
{
    if (::prctl(PR_SET_SECUREBITS, SECBIT_NO_SETUID_FIXUP) != 0 || ::setresuid(65534, 65534, 65534) != 0) {
        Append("roles", "skip");
        return false;
    }
    return true;
}

int Connected(const char* path)
{
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", path);
    return ::connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 ? descriptor : -1;
}

int ForeignSend(char** argv)
{
    if (!BecomeNobody()) {
        return 0;
    }
    const int descriptor = Connected(argv[2]);
    Talvex::Native::HandOverMessage message;
    message.workingFolder = "/";
    message.arguments = {"product", "from-nobody.mkv"};
    const QByteArray bytes = message.Encode();
    const timeval limit{5, 0};
    ::setsockopt(descriptor, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
    char answer = 0;
    const bool sent = ::send(descriptor, bytes.constData(), std::size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size();
    const ssize_t got = sent ? ::recv(descriptor, &answer, 1, 0) : -1;
    // Closing with our message unread resets the connection, possibly before we sent it.
    const bool closed = got == 0 || (got < 0 && (errno == ECONNRESET || errno == EPIPE));
    Append("roles", "foreign-send " + QByteArray(got == 1 ? "answered" : closed ? "closed" : "failed"));
    return 0;
}

int ForeignHold(char** argv)
{
    if (!BecomeNobody()) {
        return 0;
    }
    const QByteArray path(argv[2]);
    const QByteArray lockPath = QFile::encodeName(Talvex::Native::InstanceClaim::LockPathFor(QFile::decodeName(path)));
    const int lock = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", path.constData());
    ::unlink(path.constData());
    if (lock < 0 || ::flock(lock, LOCK_EX) != 0 ||
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(listener, 8) != 0) {
        Append("roles", "foreign-hold failed");
        return 1;
    }
    Append("roles", "foreign-hold listening");
    while (!QFile::exists(folder + QStringLiteral("/stop"))) {
        pollfd entry{listener, POLLIN, 0};
        if (::poll(&entry, 1, 20) == 1) {
            const int peer = ::accept(listener, nullptr, nullptr);
            char buffer[256];
            const timeval limit{0, 200000};
            ::setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
            Append("roles",
                   "foreign-hold got " + QByteArray::number(qlonglong(::recv(peer, buffer, sizeof(buffer), 0))));
            ::close(peer);
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        return 2;
    }
    FLAGS_logtostderr = true;
    folder = QFile::decodeName(argv[3]);
    const QByteArray role(argv[1]);
    if (role == "big") {
        return Big(argc, argv);
    }
    if (role == "restart") {
        return Restart(argc, argv);
    }
    if (role == "foreign-send") {
        return ForeignSend(argv);
    }
    return role == "foreign-hold" ? ForeignHold(argv) : Launch(argc, argv);
}
