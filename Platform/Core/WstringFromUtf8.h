#pragma once

#include <TalvexExport.h>

#include <string>

namespace Talvex::Core {

// UTF-8 to wide text (UTF-16 where wchar_t has 16 bits, UTF-32 elsewhere). Invalid
// byte sequences become U+FFFD.
TALVEX_EXPORT std::wstring WstringFromUtf8(const std::string& text);

} // namespace Talvex::Core
