#pragma once

#include <TalvexExport.h>

#include <string>

namespace Talvex::App {

// Told by the look-and-feel service after the language or the theme has changed.
// Calls arrive synchronously on the thread that made the change (the GUI thread);
// the observer stays owned by whoever registered it and must unregister before dying.
class TALVEX_EXPORT ILookAndFeelObserver {
public:
    virtual ~ILookAndFeelObserver() = default;
    virtual void OnLocaleChanged(const std::string& locale) = 0;
    virtual void OnThemeChanged(const std::string& theme) = 0;
};

} // namespace Talvex::App
