#pragma once

#include "Platform/IO/IDataChannel.h"

#include <TalvexExport.h>

#include <QByteArray>
#include <QPointer>
#include <QWindow>

namespace Talvex::App {

// The master's side of the focus hand-back, so that a product does not write the reply
// by hand. The product offers it each message its slave sends; the hand-back's own
// messages are answered and used here, the product's own ones are left to it.
//
// The slave's closing message is answered with "yes=<window id>", or "no" when there is
// no window to bring forward. On Wayland a client may not raise another client's window,
// so there the answer asks for a token ("yes=<window id>=token"), and the slave's token
// message that follows activates the window at once; a slave that reads only the first
// two fields is not disturbed. Elsewhere the answer stays exactly "yes=<id>". When no
// token can be had, one WARNING per process says why. Use it on the GUI thread.
class TALVEX_EXPORT IPCFocusTransfererMaster {
public:
    // `window`: the window to bring forward when the slave hands back; it may be null,
    // and it is not owned.
    explicit IPCFocusTransfererMaster(QWindow* window = nullptr);

    void SetWindow(QWindow* window);

    // Offers one message from the slave; answers on `channel` when the slave is handing
    // back. True when the message belonged to the hand-back, false for any other.
    // Failures of the channel (Talvex::Core::IOException) reach the caller.
    bool HandleMessage(const QByteArray& message, Talvex::Core::IDataChannel& channel);

    // True between an answer that asked for a token and the slave's token message.
    bool AwaitsToken() const { return awaitsToken; }

private:
    void Answer(Talvex::Core::IDataChannel& channel);
    void ActivateWith(const QString& token);

    QPointer<QWindow> window;
    bool awaitsToken = false;
};

} // namespace Talvex::App
