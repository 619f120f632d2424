// The library's side of the logging module: finding it beside the library.

#include "Platform/Core/LibraryModule.h"
#include "Platform/Logging/LoggingApi_p.h"

#include <cstdio>

namespace Talvex::App {
namespace {

// Without the module there is no log to say so in.
void ToStandardError(const std::string& why)
{
    std::fprintf(stderr, "ERROR: the library's log could not be loaded, so its lines go to standard error: %s\n",
                 why.c_str());
}

Core::LibraryModule& Module()
{
    static Core::LibraryModule module(TALVEX_LOGGING_MODULE, ToStandardError);
    return module;
}

const LoggingApi* Table(void* entry)
{
    using Get = const LoggingApi* (*)();
    return entry ? reinterpret_cast<Get>(entry)() : nullptr;
}

} // namespace

const LoggingApi* Glog()
{
    static const LoggingApi* const api = Table(Module().Entry("talvex_logging_api"));
    return api;
}

const LoggingApi* LoadedGlog()
{
    return Module().IsLoaded() ? Glog() : nullptr;
}

} // namespace Talvex::App
