// The entry point of the crash-report name reader, a module of its own so that the
// debug-information libraries are loaded only when a report is read.
#include "Platform/Native/CrashSymbolizer.h"

extern "C" __attribute__((visibility("default"))) void talvex_resolve_crash_report(const std::string* report,
                                                                                   std::string* resolved)
{
    *resolved = Talvex::Native::ResolveCrashReport(*report);
}
