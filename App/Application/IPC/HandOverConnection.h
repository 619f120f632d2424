#pragma once

#include "Platform/Native/HandOverMessage.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <memory>

class QSocketNotifier;

namespace Talvex::App {

// One launch handing its command line over, on the GUI thread: the whole message is
// read and checked, acknowledged, and delivered only once the launch says to go ahead.
// A launch that gave up meanwhile (it closes instead) is dropped without a word, since
// it has started on its own. Anything malformed, cut short or too slow is refused with
// an ERROR. Deletes itself when done.
class HandOverConnection : public QObject {
    Q_OBJECT
public:
    // A connection that does not finish within this is dropped.
    static constexpr int TIME_LIMIT_MS = 5000;

    // Takes ownership of the connected descriptor.
    HandOverConnection(int descriptor, QObject* parent);
    ~HandOverConnection() override;

signals:
    void Received(const Talvex::Native::HandOverMessage& message);

private:
    enum class State { Reading, AwaitingWord, Finished };
    void OnReadable();
    bool ReadAvailable();
    void Judge();
    void AwaitWord();
    void Refuse(const char* reason);
    void Finish();

    int descriptor;
    std::unique_ptr<QSocketNotifier> notifier;
    QTimer timeLimit;
    QByteArray received;
    std::size_t expected = 0;
    bool ended = false;
    State state = State::Reading;
    Native::HandOverMessage message;
};

} // namespace Talvex::App
