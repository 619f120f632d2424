#pragma once

#include "Platform/Native/HandOverMessage.h"

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace Talvex::App {

// The running instance's door: accepts launches on the claim's listening socket, on the
// GUI thread, refusing (with an ERROR) every peer that does not run as our own user.
// Each accepted launch is a HandOverConnection; Received is emitted once per completed
// hand-over, in the order the launches confirmed them. Does not own the descriptor.
class HandOverReceiver : public QObject {
    Q_OBJECT
public:
    // At most this many launches are talked to at once; more are turned away.
    static constexpr int MAX_CONNECTIONS = 64;

    HandOverReceiver(int listeningDescriptor, QObject* parent = nullptr);
    ~HandOverReceiver() override;

signals:
    void Received(const Talvex::Native::HandOverMessage& message);

private:
    void AcceptAll();
    bool Admit(int descriptor);

    int listener;
    std::unique_ptr<QSocketNotifier> notifier;
};

} // namespace Talvex::App
