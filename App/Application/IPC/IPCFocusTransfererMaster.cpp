#include "App/Application/IPC/IPCFocusTransfererMaster.h"

#include "App/Application/IPC/IPCFocusTransfererSlave.h"
#include "Platform/Native/WaylandActivation.h"

namespace Talvex::App {

IPCFocusTransfererMaster::IPCFocusTransfererMaster(QWindow* window) : window(window)
{
}

void IPCFocusTransfererMaster::SetWindow(QWindow* newWindow)
{
    window = newWindow;
}

bool IPCFocusTransfererMaster::HandleMessage(const QByteArray& message, Talvex::Core::IDataChannel& channel)
{
    const QByteArray tokenPrefix = (IPCFocusTransfererSlave::ACTIVATION_TOKEN_MESSAGE + QLatin1Char('=')).toUtf8();
    if (awaitsToken && message.startsWith(tokenPrefix)) {
        awaitsToken = false;
        ActivateWith(QString::fromUtf8(message.mid(tokenPrefix.size())));
        return true;
    }
    if (message != IPCFocusTransfererSlave::APPLICATION_CLOSE_MESSAGE.toLatin1()) {
        return false;
    }
    Answer(channel);
    return true;
}

void IPCFocusTransfererMaster::Answer(Talvex::Core::IDataChannel& channel)
{
    QString reply = IPCFocusTransfererSlave::RETURN_NO;
    if (window) {
        reply = IPCFocusTransfererSlave::RETURN_YES + QLatin1Char('=') + QString::number(window->winId());
        awaitsToken = Native::IsWaylandPlatform();
        if (awaitsToken) {
            reply += QLatin1Char('=') + IPCFocusTransfererSlave::ACTIVATION_TOKEN_REQUEST;
        }
    }
    const QByteArray bytes = reply.toUtf8();
    channel.Write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void IPCFocusTransfererMaster::ActivateWith(const QString& token)
{
    QString reason = QStringLiteral("the other program could not get an activation token");
    if (!token.isEmpty() && window && Native::ActivateWithToken(window, token, &reason)) {
        return;
    }
    if (!window) {
        reason = QStringLiteral("the window to bring forward is gone");
    }
    Native::WarnActivationUnavailable(reason);
}

} // namespace Talvex::App
