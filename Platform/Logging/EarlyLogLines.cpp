#include "Platform/Logging/EarlyLogLines.h"

#include "Platform/Logging/LoggingApi_p.h"

namespace Talvex::App {

// The lines are kept by the logging module from the moment it is loaded, which is before
// the library's first line; without it, no line was written and none is kept.
void EarlyLogLines::Replay()
{
    if (const LoggingApi* glog = LoadedGlog()) {
        glog->replayEarlyLines();
    }
}

} // namespace Talvex::App
