#pragma once

#include <cstddef>

namespace Talvex::Util {

// The length of the longest start of the `length` bytes at `text` that does not end
// inside a UTF-8 character: a character that a size limit cut is dropped whole, so a
// cut text stays valid UTF-8. Reads nothing before `text`; allocates nothing and is
// async-signal-safe.
size_t Utf8CutLength(const char* text, size_t length);

// The length of the line break that the `length` bytes at `text` start with, 0 when they
// start with none: CR LF, LF, CR, a vertical tab or a form feed, and the UTF-8 next-line,
// line-separator and paragraph-separator characters, at which text viewers (Qt's text
// widgets among them) start a new line as well. Async-signal-safe.
size_t LineBreakLength(const char* text, size_t length);

} // namespace Talvex::Util
