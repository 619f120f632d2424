// The entry point of the logging module: glog and gflags, behind the table of
// LoggingApi_p.h. Loading the module starts keeping the library's early lines, before
// the library writes its first line through it.
#include "Platform/Logging/LoggingApi_p.h"

#include "Platform/Logging/EarlyLogLines.h"

#include <gflags/gflags.h>
#include <glog/logging.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace Talvex::App {
namespace {

struct Line {
    std::string file;
    int number = 0;
    google::LogSeverity severity = google::GLOG_WARNING;
    std::string text;
};

// The folder that holds the library's own sources, as the compiler named this file.
std::string SourceRoot()
{
    const std::string own(__FILE__);
    return own.substr(0, own.rfind("Platform/Logging/"));
}

// The library's lines come from its own sources; a product's code is elsewhere.
bool IsLibraryFile(const char* file)
{
    static const std::string root = SourceRoot();
    const std::string path(file);
    return path.compare(0, root.size(), root) == 0 &&
           (path.compare(root.size(), 4, "App/") == 0 || path.compare(root.size(), 9, "Platform/") == 0);
}

class Collector : public google::LogSink {
public:
    void send(google::LogSeverity severity, const char* fullName, const char* baseName, int number,
              const google::LogMessageTime& time, const char* message, size_t length) override
    {
        (void)baseName;
        (void)time;
        if (severity != google::GLOG_WARNING && severity != google::GLOG_ERROR) {
            return;
        }
        // Once glog is initialised the line went wherever the product's logging sends it.
        if (google::IsGoogleLoggingInitialized() || !IsLibraryFile(fullName)) {
            return;
        }
        const std::lock_guard<std::mutex> guard(lock);
        if (!keeping) {
            return;
        }
        if (lines.size() < static_cast<size_t>(EarlyLogLines::MAX_KEPT)) {
            lines.push_back({fullName, number, severity, std::string(message, length)});
        } else {
            ++dropped;
        }
    }

    // Takes the kept lines and stops keeping, so that a line is never written twice.
    std::vector<Line> Take(int& droppedCount)
    {
        const std::lock_guard<std::mutex> guard(lock);
        keeping = false;
        droppedCount = dropped;
        return std::move(lines);
    }

private:
    std::mutex lock;
    bool keeping = true;
    std::vector<Line> lines;
    int dropped = 0;
};

// Never removed nor destroyed: glog may log until the very end of the process.
Collector& TheCollector()
{
    static Collector* const collector = [] {
        auto* created = new Collector;
        google::AddLogSink(created);
        return created;
    }();
    return *collector;
}

// Registered as the module is loaded, before the library writes a line through it.
[[maybe_unused]] const bool registered = (TheCollector(), true);

void ReplayEarlyLines()
{
    int dropped = 0;
    // Taken outside the collector's lock: the lines written below pass through it too.
    const std::vector<Line> lines = TheCollector().Take(dropped);
    if (!google::IsGoogleLoggingInitialized() || FLAGS_logtostderr || lines.empty()) {
        return;
    }
    LOG(INFO) << "Written before logging was set up, so to standard error only:";
    for (const Line& line : lines) {
        google::LogMessage(line.file.c_str(), line.number, line.severity).stream() << line.text;
    }
    if (dropped > 0) {
        LOG(WARNING) << dropped << " more lines written before logging was set up are not repeated";
    }
}

class LineSink : public google::LogSink {
public:
    explicit LineSink(void (*store)(const char*, std::size_t)) : store(store) {}

    void send(google::LogSeverity severity, const char* fullName, const char* baseName, int line,
              const google::LogMessageTime& time, const char* message, size_t length) override
    {
        (void)fullName;
        const std::string formatted = ToString(severity, baseName, line, time, message, length);
        store(formatted.data(), formatted.size());
    }

private:
    void (*const store)(const char*, std::size_t);
};

void AddLineSink(void (*store)(const char*, std::size_t))
{
    // Never removed: glog may log until the very end of the process.
    google::AddLogSink(new LineSink(store));
}

void Write(const char* file, int line, int severity, const char* text, std::size_t length)
{
    google::LogMessage(file, line, severity).stream().write(text, static_cast<std::streamsize>(length));
}

// glog keeps each VLOG site's flag for good, so each file and level gets one for the
// life of the process, as a VLOG statement of its own would.
bool VlogIsOn(const char* file, int level)
{
    static std::mutex lock;
    static auto* const sites = new std::map<std::pair<std::string, int>, google::SiteFlag*>();
    const std::lock_guard<std::mutex> guard(lock);
    google::SiteFlag*& site = (*sites)[{file, level}];
    if (!site) {
        site = new google::SiteFlag{nullptr, nullptr, 0, nullptr};
    }
    if (site->level) {
        return *site->level >= level;
    }
    return google::InitVLOG3__(site, &FLAGS_v, file, level);
}

void FlushLogFiles()
{
    google::FlushLogFiles(google::GLOG_INFO);
}

bool IsInitialized()
{
    return google::IsGoogleLoggingInitialized();
}

void Initialize(const char* programName)
{
    google::InitGoogleLogging(programName);
}

void SetFlag(const char* name, const char* value)
{
    GFLAGS_NAMESPACE::SetCommandLineOption(name, value);
}

void SetVLogLevel(const char* pattern, int level)
{
    google::SetVLOGLevel(pattern, level);
}

} // namespace
} // namespace Talvex::App

extern "C" __attribute__((visibility("default"))) const Talvex::App::LoggingApi* talvex_logging_api()
{
    using namespace Talvex::App;
    static const LoggingApi api{Write,       VlogIsOn,        FlushLogFiles,  IsInitialized,      Initialize,
                                SetFlag,     SetVLogLevel,    &FLAGS_log_dir, &FLAGS_logtostderr, &FLAGS_v,
                                AddLineSink, ReplayEarlyLines};
    return &api;
}
