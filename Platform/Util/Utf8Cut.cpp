#include "Platform/Util/Utf8Cut.h"

namespace Talvex::Util {
namespace {

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The bytes a character takes, from its first byte.
size_t CharacterLength(unsigned char first)
{
    return first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
}

} // namespace

size_t Utf8CutLength(const char* text, size_t length)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t start = length;
    // A character has at most three bytes after its first.
    while (start > 0 && length - start < 3 && IsContinuation(bytes[start - 1])) {
        --start;
    }
    if (start == 0) {
        return length;
    }
    --start;
    return length - start < CharacterLength(bytes[start]) ? start : length;
}

} // namespace Talvex::Util
