#include "Platform/Native/HandOverSender.h"

#include "Platform/Native/Descriptor.h"
#include "Platform/Native/HandOverProtocol_p.h"
#include "Platform/Native/LocalSocketAddress.h"
#include "Platform/Native/SocketPeer.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <thread>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Talvex::Native {
namespace {

using Clock = std::chrono::steady_clock;

// Between attempts, while the holder is between taking the lock and listening, or
// has just gone.
constexpr auto RETRY_PAUSE = std::chrono::milliseconds(5);

bool IsOurSocket(const QByteArray& path)
{
    struct stat status {};
    return ::lstat(path.constData(), &status) == 0 && S_ISSOCK(status.st_mode) && status.st_uid == ::geteuid();
}

bool Connect(int descriptor, const QByteArray& path)
{
    const LocalSocketAddress address(path);
    if (!address.IsValid()) {
        return false;
    }
    int result = 0;
    do {
        result = ::connect(descriptor, address.Get(), address.Size());
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

} // namespace

HandOverSender::HandOverSender(QString socketPath, QByteArray message, int boundMs)
    : socketPath(std::move(socketPath)), message(std::move(message)),
      deadline(Clock::now() + std::chrono::milliseconds(boundMs))
{
}

HandOverSender::Result HandOverSender::Run()
{
    for (;;) {
        const Attempt attempt = TryOnce();
        if (attempt != Attempt::Retry) {
            return result;
        }
        if (MillisecondsLeft() == 0) {
            return Result::NoAnswer;
        }
        std::this_thread::sleep_for(RETRY_PAUSE);
    }
}

int HandOverSender::MillisecondsLeft() const
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, left));
}

HandOverSender::Attempt HandOverSender::TryOnce()
{
    InstanceClaim::Outcome outcome = InstanceClaim::Outcome::Impossible;
    claim = InstanceClaim::TryTake(socketPath, &outcome, &problem);
    if (outcome != InstanceClaim::Outcome::HeldElsewhere) {
        result = claim ? Result::Claimed : Result::Impossible;
        return Attempt::Done;
    }
    const QByteArray path = QFile::encodeName(socketPath);
    const Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (socket.Get() < 0 || !Connect(socket.Get(), path)) {
        // Not listening yet, or gone: the claim decides on the next attempt.
        problem = QStringLiteral("the running instance does not accept connections");
        return Attempt::Retry;
    }
    if (!IsOurSocket(path) || !PeerIsOurUser(socket.Get())) {
        problem = QStringLiteral("the instance socket is not our own user's");
        result = Result::Foreign;
        return Attempt::Stop;
    }
    return HandOver(socket.Get());
}

HandOverSender::Attempt HandOverSender::HandOver(int descriptor)
{
    if (!SendAll(descriptor, message.constData(), static_cast<std::size_t>(message.size()))) {
        return MillisecondsLeft() == 0 ? Attempt::Stop : Attempt::Retry;
    }
    const int answer = ReceiveByte(descriptor);
    if (answer != HAND_OVER_ACKNOWLEDGED) {
        // Closed without an answer: refused, or gone; the next attempt tells which. A
        // holder that still holds the claim and closes again refuses this launch (full,
        // or of another version): asking on until the bound would only fill its log.
        if (answer == 0 && ++closedWithoutAnswer == 2) {
            problem = QStringLiteral("the running instance refused this launch twice");
            result = Result::Refused;
            return Attempt::Stop;
        }
        return answer == 0 && MillisecondsLeft() > 0 ? Attempt::Retry : Attempt::Stop;
    }
    if (!SendAll(descriptor, &HAND_OVER_CONFIRMED, 1)) {
        problem = QStringLiteral("the running instance went away before it was told to go ahead");
        return Attempt::Retry;
    }
    result = Result::HandedOver;
    return Attempt::Done;
}

bool HandOverSender::SendAll(int descriptor, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t sent = ::send(descriptor, data, size, MSG_NOSIGNAL);
        if (sent > 0) {
            data += sent;
            size -= static_cast<std::size_t>(sent);
        } else if (sent < 0 && errno == EAGAIN) {
            if (PollFor(descriptor, POLLOUT, MillisecondsLeft()) <= 0) {
                problem = QStringLiteral("the running instance did not take the command line in time");
                return false;
            }
        } else if (sent < 0 && errno != EINTR) {
            problem = QStringLiteral("the running instance closed the connection");
            return false;
        }
    }
    return true;
}

// The byte read; 0 at the end of the connection; -1 when none came in time.
int HandOverSender::ReceiveByte(int descriptor)
{
    while (PollFor(descriptor, POLLIN, MillisecondsLeft()) > 0) {
        char byte = 0;
        const ssize_t count = ::recv(descriptor, &byte, 1, 0);
        if (count == 1) {
            return static_cast<unsigned char>(byte);
        }
        if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
            problem = QStringLiteral("the running instance closed the connection without an answer");
            return 0;
        }
    }
    problem = QStringLiteral("the running instance did not answer in time");
    return -1;
}

} // namespace Talvex::Native
