#pragma once

#include <unistd.h>

namespace Talvex::Native {

// A held file descriptor, closed when it goes, so that every way out of a function
// closes what it opened. -1 holds nothing.
class Descriptor {
public:
    explicit Descriptor(int value = -1) : value(value) {}
    ~Descriptor() { Reset(-1); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return value; }
    void Reset(int next)
    {
        if (value >= 0) {
            ::close(value);
        }
        value = next;
    }
    // Hands the descriptor over to the caller, who closes it.
    int Release()
    {
        const int kept = value;
        value = -1;
        return kept;
    }

private:
    int value;
};

} // namespace Talvex::Native
