#include "App/Application/IPC/HandOverConnection.h"

#include "Platform/Logging/LogLine.h"
#include "Platform/Native/HandOverProtocol_p.h"

#include <QSocketNotifier>

#include <cerrno>

#include <sys/socket.h>
#include <unistd.h>

namespace Talvex::App {
namespace {

constexpr std::size_t CHUNK = 64 * 1024;

} // namespace

HandOverConnection::HandOverConnection(int descriptor, QObject* parent)
    : QObject(parent), descriptor(descriptor),
      notifier(std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read))
{
    connect(notifier.get(), &QSocketNotifier::activated, this, &HandOverConnection::OnReadable);
    timeLimit.setSingleShot(true);
    connect(&timeLimit, &QTimer::timeout, this, [this] { Refuse("did not finish in time"); });
    timeLimit.start(TIME_LIMIT_MS);
}

HandOverConnection::~HandOverConnection()
{
    notifier.reset();
    ::close(descriptor);
}

void HandOverConnection::OnReadable()
{
    if (!ReadAvailable()) {
        return;
    }
    if (state == State::Reading) {
        Judge();
    } else if (state == State::AwaitingWord) {
        AwaitWord();
    }
}

// False once the connection has been refused.
bool HandOverConnection::ReadAvailable()
{
    char buffer[CHUNK];
    for (;;) {
        const ssize_t count = ::recv(descriptor, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (count > 0) {
            received.append(buffer, static_cast<int>(count));
            const std::size_t limit = Native::HandOverMessage::HEADER_SIZE + Native::HandOverMessage::MAX_PAYLOAD + 1;
            if (static_cast<std::size_t>(received.size()) > limit) {
                Refuse("sent more than a hand-over may hold");
                return false;
            }
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        ended = count == 0 || errno != EAGAIN;
        return true;
    }
}

void HandOverConnection::Judge()
{
    if (expected == 0) {
        switch (Native::HandOverMessage::CheckHeader(received, &expected)) {
        case Native::HandOverMessage::HeaderCheck::Foreign:
            return Refuse("is not a hand-over");
        case Native::HandOverMessage::HeaderCheck::Oversized:
            return Refuse("announced more than a hand-over may hold");
        case Native::HandOverMessage::HeaderCheck::NeedMore:
            return ended ? Refuse("was cut short") : void();
        case Native::HandOverMessage::HeaderCheck::Valid:
            expected += Native::HandOverMessage::HEADER_SIZE;
            break;
        }
    }
    if (static_cast<std::size_t>(received.size()) < expected) {
        return ended ? Refuse("was cut short") : void();
    }
    const auto decoded = Native::HandOverMessage::Decode(received.left(static_cast<int>(expected)));
    if (!decoded || static_cast<std::size_t>(received.size()) != expected) {
        return Refuse("is malformed");
    }
    message = *decoded;
    received.clear();
    state = State::AwaitingWord;
    if (::send(descriptor, &Native::HAND_OVER_ACKNOWLEDGED, 1, MSG_DONTWAIT | MSG_NOSIGNAL) != 1) {
        return Finish();
    }
    AwaitWord();
}

void HandOverConnection::AwaitWord()
{
    if (received.isEmpty()) {
        // Closed before the word: that launch gave up waiting and started on its own.
        if (ended) {
            TALVEX_LOG(WARNING) << "A launch gave up waiting before its hand-over was acknowledged; it runs on its own";
            Finish();
        }
        return;
    }
    if (received != QByteArray(1, Native::HAND_OVER_CONFIRMED)) {
        return Refuse("ended with something other than the word to go ahead");
    }
    state = State::Finished;
    Finish();
    emit Received(message);
}

void HandOverConnection::Refuse(const char* reason)
{
    TALVEX_LOG(ERROR) << "Refused a hand-over from another launch that " << reason;
    Finish();
}

void HandOverConnection::Finish()
{
    state = State::Finished;
    timeLimit.stop();
    notifier->setEnabled(false);
    deleteLater();
}

} // namespace Talvex::App
