#pragma once

#include "App/Application/IPC/IIPCClient.h"
#include "App/Application/IPC/IPCFocusTransfererMaster.h"
#include "Platform/IO/IDataChannel.h"

#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

// The product's side of the helper program: starts it as a slave and lets the library's
// master side answer its "closing" message with the main window, so the helper hands
// the foreground back (on Wayland with an activation token). Polls the channel from the
// event loop; nothing blocks the user interface.
class HelperLink : public QObject, public Talvex::App::IIPCClient {
    Q_OBJECT
public:
    explicit HelperLink(QWidget& window);
    ~HelperLink() override;

    // Starts the helper beside this program with `arguments`; false when it cannot.
    bool Launch(const QString& arguments);
    bool IsRunning() const { return channel != nullptr; }

    void SetCommunicationChannel(boost::intrusive_ptr<Talvex::Core::IDataChannel> channel) override;
    void SetAppHandler(long long handle) override;
    void ChannelClosed() override;

signals:
    // The helper closed and the hand-back's exchange is over; whether the window came
    // forward is for the compositor to say.
    void FocusReturned();

private:
    void Poll();

    QWidget& window;
    Talvex::App::IPCFocusTransfererMaster master;
    QTimer poll;
    boost::intrusive_ptr<Talvex::Core::IDataChannel> channel;
    long long helperProcess = 0;
};
