#include "Platform/Core/Demangle.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>

namespace Talvex::Core {

std::string Demangled(const char* symbol)
{
    if (!symbol) {
        return "??";
    }
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(symbol, nullptr, nullptr, &status),
                                                      std::free);
    return status == 0 && name ? name.get() : symbol;
}

} // namespace Talvex::Core
