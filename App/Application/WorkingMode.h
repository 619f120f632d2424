#pragma once

namespace Talvex::Enums {

// How a restart treats the user: Interactive asks first; every other mode restarts at once.
enum WorkingMode {
    Interactive = 0,
    Silent = 1,
    Scheduled = 2,
};

} // namespace Talvex::Enums
