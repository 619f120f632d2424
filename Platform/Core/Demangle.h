#pragma once

#include <string>

namespace Talvex::Core {

// A C++ symbol or type name as the source writes it ("Talvex::App::Application::notify"
// for its mangled form); a name that is not a mangled C++ name comes back as it is, and
// no name at all as "??". Allocates, so it is not for a signal handler.
std::string Demangled(const char* symbol);

} // namespace Talvex::Core
