#pragma once

#include "Platform/Core/IRefCountable.h"

#include <cstddef>

namespace Talvex::Core {

// A readable byte stream shared through boost::intrusive_ptr.
class IByteDataInput : public IRefCountable {
public:
    // Copies up to `size` bytes into `buffer`, waiting (at most the stream's time-out)
    // until at least one byte is there; 0 when the other end has closed or nothing
    // came in time. Throws Talvex::Core::IOException on a broken stream.
    virtual std::size_t Read(void* buffer, std::size_t size) = 0;
};

// A byte stream whose bytes arrive from elsewhere, so that one can ask and wait.
class IByteDataInputEx : public IByteDataInput {
public:
    // Bytes that a Read returns now without waiting.
    virtual std::size_t Available() = 0;
    // Waits at most `timeoutMs` until a byte or the end of the stream is there;
    // true when a Read would not wait.
    virtual bool WaitForInput(int timeoutMs) = 0;
    // The bound for every wait of this stream, in milliseconds.
    virtual void SetTimeout(int timeoutMs) = 0;
};

} // namespace Talvex::Core
