#pragma once

#include <QString>

namespace Talvex::App {

// "<data folder>/Talvex/<product folder>": where the crash sessions of this executable
// are kept, as the data folder is known at the time of the call.
QString CrashSessionFolder();

} // namespace Talvex::App
