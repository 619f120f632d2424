#pragma once

#include <memory>
#include <stdexcept>
#include <utility>

namespace Talvex {

// A shared pointer that is known to hold an object. Construction from an empty
// pointer throws std::logic_error, so a missing required service fails where it is
// handed over instead of where it is first dereferenced.
template <class T> class NotNull {
public:
    NotNull(std::shared_ptr<T> pointer) : pointer(std::move(pointer))
    {
        if (!this->pointer) {
            throw std::logic_error("NotNull can not initialized by null");
        }
    }

    T* get() const { return pointer.get(); }
    T* operator->() const { return pointer.get(); }
    T& operator*() const { return *pointer; }
    const std::shared_ptr<T>& shared() const { return pointer; }
    operator std::shared_ptr<T>() const { return pointer; }

private:
    std::shared_ptr<T> pointer;
};

} // namespace Talvex
