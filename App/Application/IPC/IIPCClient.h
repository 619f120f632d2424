#pragma once

#include "Platform/IO/IDataChannel.h"

#include <boost/intrusive_ptr.hpp>

namespace Talvex::App {

// One end of a master/slave pair as IPCManager sees it: it receives the channel to
// the other process and that process's handle.
class IIPCClient {
public:
    virtual ~IIPCClient() = default;
    // The client keeps its own reference to the channel.
    virtual void SetCommunicationChannel(boost::intrusive_ptr<Talvex::Core::IDataChannel> channel) = 0;
    // The other process's handle (see Platform/Native/ProcessHandle.h; 0 when it could
    // not be opened). The client owns it from now on.
    virtual void SetAppHandler(long long handle) = 0;
    // Called by the owner of the channel when it has been closed; the client drops it.
    virtual void ChannelClosed() = 0;
};

} // namespace Talvex::App
