#pragma once

#include <cstdint>

namespace Talvex {

// Base of intrusively counted objects; boost::intrusive_ptr works for every
// derived type through the two hooks below.
class IRefCountable {
public:
    virtual std::uint32_t AddRef() const = 0;
    virtual std::uint32_t GetRefCount() const = 0;
    // Deletes the object when the count reaches zero.
    virtual std::uint32_t Release() const = 0;

protected:
    virtual ~IRefCountable() = default;
};

inline void intrusive_ptr_add_ref(const IRefCountable* object)
{
    object->AddRef();
}

inline void intrusive_ptr_release(const IRefCountable* object)
{
    object->Release();
}

} // namespace Talvex
