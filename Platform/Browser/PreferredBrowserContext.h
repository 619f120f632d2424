#pragma once

#include <QString>

namespace Talvex {

// What the application knows about the user's browser at the moment of a decision.
// Empty strings mean "unknown".
struct PreferredBrowserContext {
    // Current user-interface locale, e.g. "de_DE".
    QString locale;
    // Browser the installer saw as the user's choice (a path to an executable).
    QString installerBrowser;
    // Browser recorded by an earlier run of the product (a path to an executable).
    QString preferredBrowser;
};

} // namespace Talvex
