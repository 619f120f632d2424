#pragma once

#include <QString>

namespace Talvex::App {

// The language a test run forces with --test-locale, as given; empty without the
// option or without an application object. GUI thread only.
QString ForcedTestLocale();

} // namespace Talvex::App
