#include "Platform/Browser/AbstractPreferredBrowser.h"

#include <utility>

namespace Talvex {

AbstractPreferredBrowser::~AbstractPreferredBrowser() = default;

void AbstractPreferredBrowser::SetContextCallback(ContextCallback callback)
{
    contextCallback = std::move(callback);
}

PreferredBrowserContext AbstractPreferredBrowser::Context() const
{
    return contextCallback ? contextCallback() : PreferredBrowserContext();
}

} // namespace Talvex
