#include "App/Application/IPC/HandOverReceiver.h"

#include "App/Application/IPC/HandOverConnection.h"
#include "Platform/Logging/LogLine.h"
#include "Platform/Native/SocketPeer.h"

#include <QSocketNotifier>

#include <cerrno>

#include <sys/socket.h>
#include <unistd.h>

namespace Talvex::App {
HandOverReceiver::HandOverReceiver(int listeningDescriptor, QObject* parent)
    : QObject(parent), listener(listeningDescriptor),
      notifier(std::make_unique<QSocketNotifier>(listeningDescriptor, QSocketNotifier::Read))
{
    connect(notifier.get(), &QSocketNotifier::activated, this, &HandOverReceiver::AcceptAll);
    // Launches that connected before the event loop ran wait in the backlog.
    AcceptAll();
}

HandOverReceiver::~HandOverReceiver() = default;

void HandOverReceiver::AcceptAll()
{
    for (;;) {
        const int descriptor = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (descriptor < 0) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            return;
        }
        if (!Admit(descriptor)) {
            ::close(descriptor);
        }
    }
}

bool HandOverReceiver::Admit(int descriptor)
{
    uid_t peer = 0;
    if (!Native::PeerUser(descriptor, &peer) || peer != ::geteuid()) {
        TALVEX_LOG(ERROR) << "Refused a hand-over from user " << peer << ", who is not the user of this instance";
        return false;
    }
    if (findChildren<HandOverConnection*>(QString(), Qt::FindDirectChildrenOnly).size() >= MAX_CONNECTIONS) {
        TALVEX_LOG(ERROR) << "Refused a hand-over: " << MAX_CONNECTIONS << " launches are already being talked to";
        return false;
    }
    auto* connection = new HandOverConnection(descriptor, this);
    connect(connection, &HandOverConnection::Received, this, &HandOverReceiver::Received);
    return true;
}

} // namespace Talvex::App
