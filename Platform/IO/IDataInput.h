#pragma once

#include "Platform/Core/IRefCountable.h"

#include <cstddef>
#include <string>

namespace Talvex::Core {

// A source of bytes, shared through boost::intrusive_ptr.
class IDataInput : public IRefCountable {
public:
    // Copies up to `size` bytes into `buffer`; returns how many were copied (0 at the end).
    virtual std::size_t Read(void* buffer, std::size_t size) = 0;
    // Bytes that can be read now without waiting.
    virtual std::size_t Available() const = 0;
    // What the bytes come from (a file path, for instance), for messages; inputs without
    // a name (pipes, channels) keep the empty default.
    virtual std::string Name() const { return std::string(); }
};

} // namespace Talvex::Core
