#include "Platform/Util/ContentHash.h"

#include <cstring>

namespace Talvex::Util {
namespace {

constexpr std::uint64_t PRIME_1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t PRIME_2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t PRIME_3 = 0x165667B19E3779F9ULL;

std::uint64_t RotateLeft(std::uint64_t value, int bits)
{
    return (value << bits) | (value >> (64 - bits));
}

} // namespace

ContentHash::ContentHash(std::uint64_t seed) : state(seed + PRIME_3)
{
}

void ContentHash::Mix(std::uint64_t word)
{
    state ^= RotateLeft(word * PRIME_2, 31) * PRIME_1;
    state = RotateLeft(state, 27) * PRIME_1 + PRIME_3;
}

void ContentHash::Add(const void* data, std::size_t size)
{
    if (size == 0) {
        Mix(0);
        return;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    const unsigned char* const end = bytes + size;
    for (; end - bytes >= 8; bytes += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes, 8);
        Mix(word);
    }
    // The tail with its length, so that a block is never read as a shorter one padded.
    std::uint64_t tail = 0;
    std::memcpy(&tail, bytes, static_cast<std::size_t>(end - bytes));
    Mix(tail ^ (static_cast<std::uint64_t>(end - bytes) << 59));
    Mix(size);
    length += size;
}

void ContentHash::AddNumber(std::uint64_t number)
{
    Mix(number);
    Mix(8);
    length += 8;
}

std::uint64_t ContentHash::Value() const
{
    std::uint64_t value = state ^ length;
    value ^= value >> 33;
    value *= PRIME_2;
    value ^= value >> 29;
    value *= PRIME_3;
    value ^= value >> 32;
    return value;
}

} // namespace Talvex::Util
