#pragma once

#include <QtGlobal>

namespace Talvex::Test {

// How many times longer than the regular run: TALVEX_SOAK, at least 1.
inline int SoakFactor()
{
    bool ok = false;
    const int factor = qEnvironmentVariableIntValue("TALVEX_SOAK", &ok);
    return ok && factor > 1 ? factor : 1;
}

#ifndef __has_feature
#define __has_feature(feature) 0
#endif

// The sanitizer build runs processes many times slower.
constexpr bool Instrumented()
{
#if defined(__SANITIZE_ADDRESS__) || __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
}

} // namespace Talvex::Test
