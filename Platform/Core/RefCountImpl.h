#pragma once

#include "Platform/Core/IRefCountable.h"

#include <atomic>
#include <cstdint>

namespace Talvex {

// The embedded counter. Each step returns the count after the step; thread-safe.
class RefCountImpl {
public:
    std::uint32_t AddRefImpl() const { return ++count; }
    std::uint32_t ReleaseImpl() const { return --count; }
    std::uint32_t GetRefCountImpl() const { return count.load(); }

private:
    mutable std::atomic<std::uint32_t> count{0};
};

// Implements IRefCountable for an interface derived from it, so concrete classes
// only write their own behaviour.
template <class Interface>
class RefCounted : public Interface {
public:
    std::uint32_t AddRef() const override { return counter.AddRefImpl(); }
    std::uint32_t GetRefCount() const override { return counter.GetRefCountImpl(); }
    std::uint32_t Release() const override
    {
        const std::uint32_t left = counter.ReleaseImpl();
        if (left == 0) {
            delete this;
        }
        return left;
    }

private:
    RefCountImpl counter;
};

} // namespace Talvex
