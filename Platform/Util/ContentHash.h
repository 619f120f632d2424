#pragma once

#include <cstddef>
#include <cstdint>

namespace Talvex::Util {

// A 64-bit hash of a sequence of byte blocks, fed in pieces: eight bytes per step, so
// that keying a cache on the compressed bytes of a theme costs a fraction of reading
// them. Block boundaries count: ("ab", "c") and ("a", "bc") hash apart. Not for
// anything an attacker chooses; for telling our own inputs apart.
class ContentHash {
public:
    explicit ContentHash(std::uint64_t seed = 0);

    void Add(const void* data, std::size_t size);
    void AddNumber(std::uint64_t number);
    std::uint64_t Value() const;

private:
    void Mix(std::uint64_t word);

    std::uint64_t state;
    std::uint64_t length = 0;
};

} // namespace Talvex::Util
