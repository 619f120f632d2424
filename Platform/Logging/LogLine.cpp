
#include "Platform/Logging/LogLine.h"
#include "Platform/Logging/LoggingApi_p.h"

#include <cstdio>

namespace Talvex::App {

LogLine::LogLine(const char* file, int line, int severity) : file(file), line(line), severity(severity)
{
}

LogLine::~LogLine()
{
    const std::string written = text.str();
    if (const LoggingApi* glog = Glog()) {
        glog->write(file, line, severity, written.data(), written.size());
    } else {
        std::fprintf(stderr, "%s:%d] %s\n", file, line, written.c_str());
    }
}

bool VlogIsOn(const char* file, int level)
{
    const LoggingApi* glog = Glog();
    return glog && glog->vlogIsOn(file, level);
}

} // namespace Talvex::App
