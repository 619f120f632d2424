#pragma once

#include "Platform/Core/RefCountImpl.h"
#include "Platform/IO/IByteDataInput.h"
#include "Platform/IO/IByteDataOutput.h"
#include "Platform/IO/IDataChannel.h"

#include <TalvexExport.h>

#include <boost/intrusive_ptr.hpp>

namespace Talvex::Core {

// Joins an input and an output stream into one two-way channel. The channel holds its
// own references to both streams.
class TALVEX_EXPORT CommunicationChannel : public RefCounted<IDataChannel> {
public:
    // `nonWaiting` false (what the focus hand-back uses): GetWaitingInputSize and Read
    // wait for the peer, each wait bounded by the time-out (DefaultTimeout() unless
    // SetTimeout changes it). true: they report and read only what is there now, for
    // callers that poll from an event loop. Throws Talvex::Core::IOException when a
    // stream is missing.
    static boost::intrusive_ptr<IDataChannel> Create(boost::intrusive_ptr<IByteDataInputEx> input,
                                                     boost::intrusive_ptr<IByteDataOutputEx> output, bool nonWaiting);

    // The time-out given to channels created from now on, in milliseconds; 5000 at start.
    static int DefaultTimeout();
    static void SetDefaultTimeout(int timeoutMs);

    void Write(const void* data, std::size_t size) override;
    std::size_t GetWaitingInputSize() override;
    std::size_t Read(void* buffer, std::size_t size) override;
    void SetTimeout(int timeoutMs) override;

private:
    CommunicationChannel(boost::intrusive_ptr<IByteDataInputEx> input, boost::intrusive_ptr<IByteDataOutputEx> output,
                         bool nonWaiting);
    ~CommunicationChannel() override;

    const boost::intrusive_ptr<IByteDataInputEx> input;
    const boost::intrusive_ptr<IByteDataOutputEx> output;
    const bool nonWaiting;
    int timeoutMs;
};

} // namespace Talvex::Core
