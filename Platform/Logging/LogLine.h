#pragma once

#include <TalvexExport.h>

#include <sstream>

namespace Talvex::App {

// glog's severities.
enum LogSeverity { LOG_SEVERITY_INFO = 0, LOG_SEVERITY_WARNING = 1, LOG_SEVERITY_ERROR = 2 };

// One line of the library's log, written through glog when the statement ends, as
// glog's own LOG macros write it: TALVEX_LOG(ERROR) << "text". glog is loaded with the
// first line (see LoggingApi_p.h). Exported for the library's own modules.
class TALVEX_EXPORT LogLine {
public:
    LogLine(const char* file, int line, int severity);
    LogLine(const LogLine&) = delete;
    LogLine& operator=(const LogLine&) = delete;
    ~LogLine();

    std::ostream& stream() { return text; }

private:
    const char* const file;
    const int line;
    const int severity;
    std::ostringstream text;
};

// Turns a stream expression into void, so it can be the second branch of ?:.
struct LogVoidify {
    void operator&(std::ostream&) {}
};

bool VlogIsOn(const char* file, int level);

} // namespace Talvex::App

#define TALVEX_LOG(severity) ::Talvex::App::LogLine(__FILE__, __LINE__, ::Talvex::App::LOG_SEVERITY_##severity).stream()
#define TALVEX_LOG_IF(severity, condition) !(condition) ? (void)0 : ::Talvex::App::LogVoidify() & TALVEX_LOG(severity)
#define TALVEX_VLOG(level) TALVEX_LOG_IF(INFO, ::Talvex::App::VlogIsOn(__FILE__, level))
