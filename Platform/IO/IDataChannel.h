#pragma once

#include "Platform/Core/IRefCountable.h"

#include <cstddef>

namespace Talvex::Core {

// A two-way byte channel to another process, shared through boost::intrusive_ptr.
// Use it from one thread at a time. Failures throw Talvex::Core::IOException.
class IDataChannel : public IRefCountable {
public:
    // Sends all `size` bytes. A peer that writes a message with one call has it
    // delivered in one piece (see GetWaitingInputSize).
    virtual void Write(const void* data, std::size_t size) = 0;
    // The number of input bytes waiting. On a waiting channel (the default) this waits
    // at most the channel's time-out for the first byte of the peer's next message and
    // then reports every byte that has arrived; a message the peer wrote with one
    // Write call of up to a few kilobytes arrives whole, so reading this count yields
    // the entire reply. On a non-waiting channel it reports what is there now. 0 when
    // nothing came in time or the peer has closed.
    virtual std::size_t GetWaitingInputSize() = 0;
    // Reads `size` bytes into `buffer`; on a waiting channel waits for them (each
    // wait bounded by the time-out). Returns the count read, fewer only when the
    // peer closed or went quiet.
    virtual std::size_t Read(void* buffer, std::size_t size) = 0;
    // The bound for every wait, in milliseconds.
    virtual void SetTimeout(int timeoutMs) = 0;
};

} // namespace Talvex::Core
