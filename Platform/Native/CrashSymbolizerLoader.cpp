// ResolveCrashReport as products call it: it hands the report to the name reader, which
// lives in a module of its own (with the debug-information libraries it needs) and is
// loaded when the first report is read.
#include "Platform/Native/CrashSymbolizer.h"

#include "Platform/Core/LibraryModule.h"
#include "Platform/Native/CrashHandler.h"

namespace Talvex::Native {
namespace {

const char THREAD_LINE[] = "\nThread: ";
const char STACK_HEADER[] = "\nStack:\n";
// As the reader's own results, a note leaves room for a reader's note on a cut report.
const size_t NOTED_LIMIT = CrashHandler::MAX_REPORT_SIZE - 128;

Core::LibraryModule& NameReader()
{
    static Core::LibraryModule module(TALVEX_CRASH_NAMES_MODULE);
    return module;
}

// The report with its stack header saying why the frames have no names; unchanged when
// it has no stack or the note would not fit.
std::string WithoutNames(const std::string& report, const std::string& why)
{
    const size_t thread = report.find(THREAD_LINE);
    const size_t stack = thread == std::string::npos ? thread : report.find(STACK_HEADER, thread + 1);
    const std::string header = "\nStack (names not available: " + why + "):\n";
    if (stack == std::string::npos || report.size() + header.size() > NOTED_LIMIT + sizeof STACK_HEADER - 1) {
        return report;
    }
    return report.substr(0, stack) + header + report.substr(stack + sizeof STACK_HEADER - 1);
}

} // namespace

std::string ResolveCrashReport(const std::string& report)
{
    using Resolve = void (*)(const std::string*, std::string*);
    if (const auto resolve = reinterpret_cast<Resolve>(NameReader().Entry("talvex_resolve_crash_report"))) {
        std::string resolved;
        resolve(&report, &resolved);
        return resolved;
    }
    return WithoutNames(report, "the reader of debug information could not be loaded");
}

} // namespace Talvex::Native
