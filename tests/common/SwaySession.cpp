#include "common/SwaySession.h"

#include "common/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace Talvex::Test {
namespace {

const uid_t NOBODY = 65534;
const QString CONFIG = QStringLiteral("config");

// The focused container in a `get_tree` reply, searched depth first.
QJsonObject FindFocused(const QJsonObject& node)
{
    if (node.value(QStringLiteral("focused")).toBool() && node.contains(QStringLiteral("pid"))) {
        return node;
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue child : node.value(QLatin1String(children)).toArray()) {
            const QJsonObject found = FindFocused(child.toObject());
            if (!found.isEmpty()) {
                return found;
            }
        }
    }
    return QJsonObject();
}

} // namespace

// In /tmp itself: the test's own temporary folder may sit in a folder that "nobody"
// cannot enter.
SwaySession::SwaySession(Activation activation) : root(QStringLiteral("/tmp/talvex-sway-XXXXXX"))
{
    if (QStandardPaths::findExecutable(QStringLiteral("sway")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("swaymsg")).isEmpty()) {
        problem = QStringLiteral("sway is not installed");
    } else if (!Start(activation)) {
        sway.kill();
        sway.waitForFinished(5000);
        problem += QStringLiteral(": ") + QString::fromLocal8Bit(sway.readAllStandardError().right(600));
    }
}

SwaySession::~SwaySession()
{
    if (sway.state() != QProcess::NotRunning) {
        sway.terminate();
        if (!sway.waitForFinished(5000)) {
            sway.kill();
            sway.waitForFinished(5000);
        }
    }
}

bool SwaySession::Start(Activation activation)
{
    compositorFolder = root.filePath(QStringLiteral("compositor"));
    // "nobody" passes through our folder to its own and reads nothing else of ours.
    if (!root.isValid() || ::chmod(QFile::encodeName(root.path()).constData(), 0711) != 0 ||
        !QDir().mkdir(compositorFolder) || !WriteConfig()) {
        problem = QStringLiteral("the compositor's folder could not be made");
        return false;
    }
    const bool asRoot = ::geteuid() == 0;
    const QByteArray folder = QFile::encodeName(compositorFolder);
    if (::chmod(folder.constData(), 0700) != 0 || (asRoot && ::chown(folder.constData(), NOBODY, NOBODY) != 0)) {
        problem = QStringLiteral("the compositor's folder could not be handed to nobody");
        return false;
    }
    ipcSocket = compositorFolder + QStringLiteral("/ipc.sock");
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), compositorFolder);
    environment.insert(QStringLiteral("SWAYSOCK"), ipcSocket);
    environment.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    environment.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    environment.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    if (activation == Activation::Hidden && !CopyHidingModule(environment)) {
        problem = QStringLiteral("the module that hides the activation global could not be copied");
        return false;
    }
    sway.setProcessEnvironment(environment);
    const QStringList swayArguments{QStringLiteral("sway"), QStringLiteral("-c"), compositorFolder + '/' + CONFIG};
    if (asRoot) {
        sway.start(QStringLiteral("setpriv"),
                   QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                               QStringLiteral("--clear-groups")} +
                       swayArguments);
    } else {
        sway.start(swayArguments.front(), swayArguments.mid(1));
    }
    return WaitUntilAnswering();
}

// Beside the compositor's folder, where "nobody" may read it (the build folder may be
// closed to that user).
bool SwaySession::CopyHidingModule(QProcessEnvironment& environment)
{
    const QString copy = root.filePath(QStringLiteral("hide-activation.so"));
    if (!QFile::copy(QStringLiteral(TALVEX_HIDE_ACTIVATION_MODULE), copy) ||
        !QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther)) {
        return false;
    }
    environment.insert(QStringLiteral("LD_PRELOAD"), copy);
    return true;
}

bool SwaySession::WriteConfig()
{
    QFile config(compositorFolder + '/' + CONFIG);
    if (!config.open(QIODevice::WriteOnly)) {
        return false;
    }
    config.write("xwayland disable\n"
                 "focus_on_window_activation focus\n"
                 "output HEADLESS-1 resolution 800x600\n");
    return config.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
}

bool SwaySession::WaitUntilAnswering()
{
    const QDir folder(compositorFolder);
    const bool answering = WaitUntil(
        [&] {
            if (sway.state() == QProcess::NotRunning) {
                return true;
            }
            const QStringList sockets = folder.entryList({QStringLiteral("wayland-*")}, QDir::System);
            for (const QString& name : sockets) {
                if (!name.endsWith(QLatin1String(".lock"))) {
                    socket = folder.filePath(name);
                }
            }
            return !socket.isEmpty() && !Message({QStringLiteral("-t"), QStringLiteral("get_version")}).isEmpty();
        },
        15000);
    if (!answering || sway.state() == QProcess::NotRunning) {
        problem = QStringLiteral("sway did not start");
        return false;
    }
    return true;
}

QProcessEnvironment SwaySession::ToolEnvironment() const
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    environment.insert(QStringLiteral("SWAYSOCK"), ipcSocket);
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), socket);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.filePath(QStringLiteral("tools")));
    QDir().mkpath(root.filePath(QStringLiteral("tools")));
    QFile::setPermissions(root.filePath(QStringLiteral("tools")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return environment;
}

QProcessEnvironment SwaySession::ClientEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString runtime = root.filePath(QStringLiteral("client-%1").arg(++clients));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), socket);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("XDG_ACTIVATION_TOKEN"));
    return environment;
}

QByteArray SwaySession::Message(const QStringList& arguments) const
{
    QProcess swaymsg;
    swaymsg.setProcessEnvironment(ToolEnvironment());
    swaymsg.start(QStringLiteral("swaymsg"), arguments);
    if (!swaymsg.waitForFinished(5000) || swaymsg.exitStatus() != QProcess::NormalExit || swaymsg.exitCode() != 0) {
        return QByteArray();
    }
    return swaymsg.readAllStandardOutput();
}

bool SwaySession::Type(const QString& text)
{
    QProcess wtype;
    wtype.setProcessEnvironment(ToolEnvironment());
    // The keyboard appears when wtype starts; its clients bind it only when they learn
    // of it, so the keys wait a moment.
    wtype.start(QStringLiteral("wtype"), {QStringLiteral("-s"), QStringLiteral("400"), text});
    return wtype.waitForFinished(5000) && wtype.exitStatus() == QProcess::NormalExit && wtype.exitCode() == 0;
}

QJsonObject SwaySession::FocusedWindow() const
{
    return FindFocused(QJsonDocument::fromJson(Message({QStringLiteral("-t"), QStringLiteral("get_tree")})).object());
}

long long SwaySession::FocusedPid() const
{
    return FocusedWindow().value(QStringLiteral("pid")).toVariant().toLongLong();
}

QString SwaySession::FocusedAppId() const
{
    return FocusedWindow().value(QStringLiteral("app_id")).toString();
}

bool SwaySession::WaitForFocus(long long pid, int timeoutMs) const
{
    return WaitUntil([&] { return FocusedPid() == pid; }, timeoutMs);
}

} // namespace Talvex::Test
