#include "Platform/Logging/EarlyLogLines.h"

#include <glog/logging.h>

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

// Registered as the library is loaded, before any code of it can log.
[[maybe_unused]] const bool registered = (TheCollector(), true);

} // namespace

void EarlyLogLines::Replay()
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

} // namespace Talvex::App
