#pragma once

#include "App/Application/IPC/IFocusTransferer.h"
#include "App/Application/IPC/IIPCClient.h"
#include "Platform/Core/IRefCountable.h"
#include "Platform/Core/RefCountImpl.h"

#include <TalvexExport.h>

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>

namespace Talvex::App {

// The slave's side of the focus hand-back: when the slave application closes, it
// tells its master over the channel and brings forward the window the master names.
// It also watches the master process, so that it stops talking to a master that has
// gone. One instance per process, joined to the master from the command line on first
// use; use it from the thread that first called Instance (it needs that thread's event
// loop to notice the master's end). Nothing is thrown.
//
// On Wayland the master's id means nothing in the slave, and only the client that has
// the focus may let another client's window come forward: there the slave also asks
// the compositor for an activation token and, when the master's reply asks for it
// (a third field ACTIVATION_TOKEN_REQUEST), sends it as one more message,
// ACTIVATION_TOKEN_MESSAGE "=" token (empty when none could be had; the slave then
// logs one WARNING per process saying why). A master that never asks gets nothing
// more. Call Instance() once the application exists and GiveFocusToParent() before
// hiding the window, while it is still mapped and has the focus.
class TALVEX_EXPORT IPCFocusTransfererSlave : public QObject,
                                              public IIPCClient,
                                              public IFocusTransferer,
                                              public Talvex::IRefCountable {
    Q_OBJECT
public:
    static const QString APPLICATION_CLOSE_MESSAGE;
    static const QString RETURN_YES;
    static const QString RETURN_NO;
    // Third field of the master's "yes" reply that asks for an activation token.
    static const QString ACTIVATION_TOKEN_REQUEST;
    // First field of the message that carries the token to the master.
    static const QString ACTIVATION_TOKEN_MESSAGE;

    // The process's instance. Until a channel has been set up, every call tries again
    // to join the master named on the command line.
    static IPCFocusTransfererSlave& Instance();

    ~IPCFocusTransfererSlave() override;

    void SetCommunicationChannel(boost::intrusive_ptr<Talvex::Core::IDataChannel> channel) override;
    // Starts watching the process. The handle is kept and never closed here: a watch
    // may still be waiting on it.
    void SetAppHandler(long long handle) override;
    void ChannelClosed() override;

    // Once per process: sends the closing message, waits (bounded) for the master's
    // reply and activates the window it names (on Wayland: hands the master a token),
    // then stops watching the master.
    void GiveFocusToParent() override;

    // True while the master is taken to be alive and listening.
    bool IsConnected() const { return connected; }

    std::uint32_t AddRef() const override;
    std::uint32_t GetRefCount() const override;
    std::uint32_t Release() const override;

protected:
    IPCFocusTransfererSlave();

protected slots:
    void OnMasterDied();

private:
    bool RunningProcessesWatcher();
    void FollowReply(const QString& reply, const QString& token, const QString& noTokenReason);
    void SendToken(const QString& token, const QString& noTokenReason);
    static QString RequestToken(QString* reason);
    static void StopWatchingAtShutdown();

    Talvex::RefCountImpl referenceCount;
    boost::intrusive_ptr<Talvex::Core::IDataChannel> channel;
    std::atomic<long long> masterProcessHandle{0};
    long long stopEvent;
    QFuture<bool> watchResult;
    QFutureWatcher<bool> watchObserver;
    bool connected = false;
    bool setUp = false;
    bool focusGiven = false;
};

} // namespace Talvex::App
