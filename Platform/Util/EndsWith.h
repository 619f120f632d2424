#pragma once

#include <string>

namespace Talvex::Util {

// Whether `text` ends with `end` (an empty end ends every text).
inline bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace Talvex::Util
