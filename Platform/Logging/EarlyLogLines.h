#pragma once

#include <TalvexExport.h>

namespace Talvex::App {

// The WARNING and ERROR lines that this library writes before the product has set up
// logging. Until then glog writes to standard error only, which a program started from
// the desktop does not have, so those lines (a refused crash folder, a lock file that
// cannot be opened, a malformed test option) would reach nobody. They are kept from the
// moment the library is loaded; lines written once logging is set up are not, nor are
// lines of the product's own code. At most MAX_KEPT lines are kept; later ones are only
// counted. Any thread.
class TALVEX_EXPORT EarlyLogLines {
public:
    static const int MAX_KEPT = 100;

    // Writes the kept lines once more, with their source positions, into the log that
    // is set up by now, and stops keeping. Nothing is written when logging still goes to
    // standard error only, where those lines went already; later calls write nothing.
    // The application calls this when it starts.
    static void Replay();
};

} // namespace Talvex::App
