#pragma once

#include <cstdint>

namespace Talvex {

// Base of intrusively counted objects; boost::intrusive_ptr works for every
// derived type through the two hooks below.
//
// The order of the virtual operations is part of the binary layout shared with
// objects made by other modules: the destructor comes first.
class IRefCountable {
protected:
    virtual ~IRefCountable() = default;

public:
    virtual std::uint32_t AddRef() const = 0;
    virtual std::uint32_t GetRefCount() const = 0;
    // Deletes the object when the count reaches zero.
    virtual std::uint32_t Release() const = 0;
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
