#pragma once

#include <glog/logging.h>

#include <mutex>
#include <string>
#include <vector>

namespace Talvex::Test {

// Records every glog line written while it exists, so tests can check what the
// library logged and at which severity.
class LogCapture : public google::LogSink {
public:
    struct Entry {
        google::LogSeverity severity;
        std::string message;
    };

    LogCapture();
    ~LogCapture() override;

    void send(google::LogSeverity severity, const char* fullFilename, const char* baseFilename, int line,
              const struct ::tm* tmTime, const char* message, size_t messageLength) override;

    std::vector<Entry> Entries() const;
    // Lines at exactly `severity` that contain `text`.
    int Count(google::LogSeverity severity, const std::string& text) const;
    bool Contains(google::LogSeverity severity, const std::string& text) const;
    void Clear();

private:
    mutable std::mutex lock;
    std::vector<Entry> entries;
};

} // namespace Talvex::Test
