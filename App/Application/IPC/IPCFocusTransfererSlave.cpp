#include "App/Application/IPC/IPCFocusTransfererSlave.h"

#include "App/Application/IPC/IPCManager.h"
#include "Platform/IO/IOException.h"
#include "Platform/Native/CrashHandler.h"
#include "Platform/Native/WaitableEvent.h"
#include "Platform/Native/WaylandActivation.h"
#include "Platform/Native/WindowActivation.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>
#include <QThreadPool>
#include <QWindow>
#include <QtConcurrent>

#include <algorithm>
#include <atomic>
#include <vector>

namespace Talvex::App {

const QString IPCFocusTransfererSlave::APPLICATION_CLOSE_MESSAGE = QStringLiteral("applicationClosed");
const QString IPCFocusTransfererSlave::RETURN_YES = QStringLiteral("yes");
const QString IPCFocusTransfererSlave::RETURN_NO = QStringLiteral("no");
const QString IPCFocusTransfererSlave::ACTIVATION_TOKEN_REQUEST = QStringLiteral("token");
const QString IPCFocusTransfererSlave::ACTIVATION_TOKEN_MESSAGE = QStringLiteral("activationToken");

namespace {

std::atomic<long long> shutdownStopEvent{0};
// Long enough for a busy compositor, short enough that closing does not seem to hang.
const int TOKEN_TIMEOUT_MS = 1000;

// The window the user was last working in: the focused one, else a visible one (the
// focus window is unset while the seat has no keyboard).
QWindow* HandingWindow()
{
    if (QWindow* focused = QGuiApplication::focusWindow()) {
        return focused;
    }
    const QWindowList windows = QGuiApplication::topLevelWindows();
    const auto visible = std::find_if(windows.begin(), windows.end(), [](QWindow* w) { return w->isVisible(); });
    return visible == windows.end() ? nullptr : *visible;
}

} // namespace

IPCFocusTransfererSlave& IPCFocusTransfererSlave::Instance()
{
    static IPCFocusTransfererSlave instance;
    if (!instance.setUp) {
        IPCManager::SetUpSlaveClient(instance, false);
    }
    return instance;
}

IPCFocusTransfererSlave::IPCFocusTransfererSlave() : stopEvent(Native::CreateWaitableEvent())
{
    // The process-wide instance is a static object: this reference is never released.
    referenceCount.AddRefImpl();
    // Made before the instance is complete, the pool outlives it at exit, so the
    // destructor below still finds it to wait on.
    QThreadPool::globalInstance();
    connect(&watchObserver, &QFutureWatcher<bool>::finished, this, &IPCFocusTransfererSlave::OnMasterDied);
    // The application waits for the pool's tasks when it is destroyed, and the watcher
    // would wait for a live master for ever.
    shutdownStopEvent = stopEvent;
    qAddPostRoutine(&IPCFocusTransfererSlave::StopWatchingAtShutdown);
    // A token carries the user's last input only if it was followed from the start.
    Native::FollowInputSerials();
}

IPCFocusTransfererSlave::~IPCFocusTransfererSlave()
{
    Native::SetWaitableEvent(stopEvent);
    if (watchResult.isRunning()) {
        watchResult.cancel();
    }
    watchResult.waitForFinished();
}

void IPCFocusTransfererSlave::StopWatchingAtShutdown()
{
    Native::SetWaitableEvent(shutdownStopEvent);
}

void IPCFocusTransfererSlave::SetCommunicationChannel(boost::intrusive_ptr<Talvex::Core::IDataChannel> newChannel)
{
    channel = std::move(newChannel);
    connected = true;
    setUp = true;
}

void IPCFocusTransfererSlave::SetAppHandler(long long handle)
{
    masterProcessHandle = handle;
    watchResult = QtConcurrent::run(QThreadPool::globalInstance(), [this] { return RunningProcessesWatcher(); });
    // A fresh run is never the future the observer already watches (and the observer
    // ignores being given the same one again).
    watchObserver.setFuture(watchResult);
}

void IPCFocusTransfererSlave::ChannelClosed()
{
    channel.reset();
}

bool IPCFocusTransfererSlave::RunningProcessesWatcher()
{
    // A pool thread: a crash here is reported like one on the GUI thread.
    Native::CrashHandler::PrepareThread();
    const long long master = masterProcessHandle;
    if (master != 0) {
        Native::WaitForAny(master, stopEvent);
    }
    return false;
}

void IPCFocusTransfererSlave::OnMasterDied()
{
    connected = false;
}

void IPCFocusTransfererSlave::GiveFocusToParent()
{
    if (focusGiven) {
        return;
    }
    focusGiven = true;
    if (!channel || !connected) {
        return;
    }
    QString noTokenReason;
    const QString token = RequestToken(&noTokenReason);
    const QByteArray message = APPLICATION_CLOSE_MESSAGE.toLatin1();
    try {
        channel->Write(message.constData(), static_cast<std::size_t>(message.size()));
        const std::size_t size = channel->GetWaitingInputSize();
        std::vector<char> reply(size + 1, 0);
        channel->Read(reply.data(), size);
        FollowReply(QString::fromUtf8(reply.data()), token, noTokenReason);
    } catch (const Talvex::Core::IOException&) {
        // The master went away during the exchange: there is no window to switch to.
    }
    Native::SetWaitableEvent(stopEvent);
}

// Asked while the window still has the focus: once the slave closes it, the
// compositor would refuse.
QString IPCFocusTransfererSlave::RequestToken(QString* reason)
{
    if (!Native::IsWaylandPlatform()) {
        return QString();
    }
    QWindow* window = HandingWindow();
    if (!window) {
        *reason = QStringLiteral("this program shows no window to ask for an activation token");
        return QString();
    }
    return Native::RequestActivationToken(window, TOKEN_TIMEOUT_MS, reason);
}

void IPCFocusTransfererSlave::FollowReply(const QString& reply, const QString& token, const QString& noTokenReason)
{
    const QStringList parts = reply.split(QLatin1Char('='));
    if (parts.size() > 1 && parts.front() == RETURN_YES) {
        Native::ActivateWindow(static_cast<unsigned long long>(parts.at(1).toLongLong()));
        if (parts.size() > 2 && parts.at(2) == ACTIVATION_TOKEN_REQUEST) {
            SendToken(token, noTokenReason);
        }
    }
}

void IPCFocusTransfererSlave::SendToken(const QString& token, const QString& noTokenReason)
{
    if (token.isEmpty()) {
        Native::WarnActivationUnavailable(noTokenReason.isEmpty() ? QStringLiteral("no activation token was given")
                                                                  : noTokenReason);
    }
    const QByteArray message = (ACTIVATION_TOKEN_MESSAGE + QLatin1Char('=') + token).toUtf8();
    channel->Write(message.constData(), static_cast<std::size_t>(message.size()));
}

std::uint32_t IPCFocusTransfererSlave::AddRef() const
{
    return referenceCount.AddRefImpl();
}

std::uint32_t IPCFocusTransfererSlave::GetRefCount() const
{
    return referenceCount.GetRefCountImpl();
}

std::uint32_t IPCFocusTransfererSlave::Release() const
{
    const std::uint32_t left = referenceCount.ReleaseImpl();
    if (left == 0) {
        delete this;
    }
    return left;
}

} // namespace Talvex::App
