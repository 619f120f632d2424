#pragma once

#include <cstddef>
#include <string>

namespace Talvex::App {

// What the library asks of glog. glog (with gflags and what they load) lives in a module
// of the library's own, loaded when the library first writes a line or sets up logging,
// so a product that does neither does not load it at start. A product that uses glog
// itself shares the one glog of the process with the module.
struct LoggingApi {
    // A line as glog's TALVEX_LOG(severity) at `file`:`line` writes it.
    void (*write)(const char* file, int line, int severity, const char* text, std::size_t length);
    // Whether glog's TALVEX_VLOG(level) is on at `file` (--v and --vmodule).
    bool (*vlogIsOn)(const char* file, int level);
    void (*flushLogFiles)();
    bool (*isInitialized)();
    void (*initialize)(const char* programName);
    void (*setFlag)(const char* name, const char* value);
    void (*setVLogLevel)(const char* pattern, int level);
    std::string* logDir;
    bool* logToStderr;
    const int* verbosity;
    // Hands every line glog writes, formatted as a log file shows it, to `store`.
    void (*addLineSink)(void (*store)(const char* text, std::size_t length));
    // The lines the library wrote before logging was set up; see EarlyLogLines.
    void (*replayEarlyLines)();
};

// The module's table, loading the module on the first call; null when it cannot be
// loaded (the reason then goes to standard error, having no log to go to).
const LoggingApi* Glog();
// The table only when the module is loaded already, else null: for those who have
// nothing to do unless a line was written or logging was set up.
const LoggingApi* LoadedGlog();

} // namespace Talvex::App
