#pragma once

namespace Talvex::App {

// Whether an installer of the product family runs: it holds a system-wide mutex for
// as long as it runs. Retries for half a second, so an installer that is just ending
// is not reported; when it is, starts the script that tells the user, from the
// program's own folder only and only when no other user can have put it there or
// changed it (otherwise an ERROR names it; the answer is true all the same). Needs no
// application object: without one, the folder of the running executable is used.
class InstallerCheck {
public:
    static bool Run();
};

} // namespace Talvex::App
