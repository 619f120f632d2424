#include "common/LogCapture.h"

#include <algorithm>

namespace Talvex::Test {

LogCapture::LogCapture()
{
    google::AddLogSink(this);
}

LogCapture::~LogCapture()
{
    google::RemoveLogSink(this);
}

void LogCapture::send(google::LogSeverity severity, const char*, const char*, int, const struct ::tm*,
                      const char* message, size_t messageLength)
{
    std::lock_guard<std::mutex> guard(lock);
    entries.push_back({severity, std::string(message, messageLength)});
}

std::vector<LogCapture::Entry> LogCapture::Entries() const
{
    std::lock_guard<std::mutex> guard(lock);
    return entries;
}

int LogCapture::Count(google::LogSeverity severity, const std::string& text) const
{
    std::lock_guard<std::mutex> guard(lock);
    return static_cast<int>(std::count_if(entries.begin(), entries.end(), [&](const Entry& entry) {
        return entry.severity == severity && entry.message.find(text) != std::string::npos;
    }));
}

bool LogCapture::Contains(google::LogSeverity severity, const std::string& text) const
{
    return Count(severity, text) > 0;
}

void LogCapture::Clear()
{
    std::lock_guard<std::mutex> guard(lock);
    entries.clear();
}

} // namespace Talvex::Test
