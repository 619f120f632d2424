#pragma once

#include "Platform/Core/IRefCountable.h"

#include <cstddef>

namespace Talvex::Core {

// A writable byte stream shared through boost::intrusive_ptr.
class IByteDataOutput : public IRefCountable {
public:
    // Writes all `size` bytes or throws Talvex::Core::IOException.
    virtual void Write(const void* data, std::size_t size) = 0;
};

// A byte stream whose bytes go elsewhere and may have to wait for the reader.
class IByteDataOutputEx : public IByteDataOutput {
public:
    // The bound for every wait of this stream, in milliseconds.
    virtual void SetTimeout(int timeoutMs) = 0;
};

} // namespace Talvex::Core
