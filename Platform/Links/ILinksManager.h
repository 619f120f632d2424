#pragma once

#include "Platform/Links/URLKeys.h"

#include <QString>

namespace Talvex {

// Turns the products' named web addresses into finished addresses and opens them.
class ILinksManager {
public:
    virtual ~ILinksManager() = default;
    // The address for `key`; empty when the links table has none.
    virtual QString GetUrl(const URLKeys& key) const = 0;
    // Opens a finished address with the system's handler for its scheme.
    virtual void OpenUrl(const QString& url) const = 0;
};

} // namespace Talvex
