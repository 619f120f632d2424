#include "HelperLink.h"

#include "App/Application/IPC/IPCManager.h"
#include "Platform/Native/ProcessHandle.h"

#include <QSocketNotifier>
#include <QWidget>

#include <vector>

namespace {

// The helper's program file, beside this one (LaunchSlave looks there first).
const QString HELPER_PROGRAM = QStringLiteral("talvex-demo-helper");

} // namespace

HelperLink::HelperLink(QWidget& window) : window(window)
{
    poll.setInterval(100);
    connect(&poll, &QTimer::timeout, this, &HelperLink::Poll);
}

HelperLink::~HelperLink()
{
    Talvex::Native::CloseHandle(helperProcess);
}

bool HelperLink::Launch(const QString& arguments)
{
    if (IsRunning()) {
        return true;
    }
    // A channel that reports only what is there, so the event loop can poll it.
    if (Talvex::App::IPCManager::LaunchSlave(*this, HELPER_PROGRAM, arguments, true)) {
        return true;
    }
    ChannelClosed(); // a helper that did not start keeps no channel of ours
    return false;
}

void HelperLink::SetCommunicationChannel(boost::intrusive_ptr<Talvex::Core::IDataChannel> newChannel)
{
    channel = std::move(newChannel);
    poll.start();
}

void HelperLink::SetAppHandler(long long handle)
{
    Talvex::Native::CloseHandle(helperProcess);
    helperProcess = handle;
    if (handle == 0) {
        return;
    }
    // The process handle becomes readable when the helper ends, however it ends.
    auto* ended = new QSocketNotifier(static_cast<int>(handle), QSocketNotifier::Read, this);
    connect(ended, &QSocketNotifier::activated, this, [this, ended] {
        ended->setEnabled(false);
        ended->deleteLater();
        Poll();
        ChannelClosed();
    });
}

void HelperLink::ChannelClosed()
{
    poll.stop();
    channel.reset();
    Talvex::Native::CloseHandle(helperProcess);
    helperProcess = 0;
}

void HelperLink::Poll()
{
    if (!channel) {
        return;
    }
    const std::size_t waiting = channel->GetWaitingInputSize();
    if (waiting == 0) {
        return;
    }
    std::vector<char> message(waiting);
    message.resize(channel->Read(message.data(), waiting));
    master.SetWindow(window.window()->windowHandle());
    if (master.HandleMessage(QByteArray(message.data(), static_cast<int>(message.size())), *channel) &&
        !master.AwaitsToken()) {
        emit FocusReturned();
    }
}
