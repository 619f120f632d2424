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

size_t LineBreakLength(const char* text, size_t length)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    if (length == 0) {
        return 0;
    }
    switch (bytes[0]) {
    case '\r':
        return length > 1 && bytes[1] == '\n' ? 2 : 1;
    case '\n':
    case '\v':
    case '\f':
        return 1;
    case 0xC2: // U+0085
        return length > 1 && bytes[1] == 0x85 ? 2 : 0;
    case 0xE2: // U+2028, U+2029
        return length > 2 && bytes[1] == 0x80 && (bytes[2] == 0xA8 || bytes[2] == 0xA9) ? 3 : 0;
    default:
        return 0;
    }
}

} // namespace Talvex::Util
