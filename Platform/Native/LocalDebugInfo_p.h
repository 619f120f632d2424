#pragma once

#include <elfutils/libdwfl.h>

#include <string>

namespace Talvex::Native {

// Callbacks for reading a crashed module's names from this machine alone. Debug
// information is looked up in the module's own file, a separate debug file beside it
// (named by its debug link, also in a ".debug" subfolder or under /usr/lib/debug), and
// the build-id folder of /usr/lib/debug; never on a debug-information server, which
// would wait on the network and send out the build ids of the user's libraries. Every
// candidate is opened as OpenTrustedFileForReading opens it, and a separate file counts
// only when it carries the module's build id. Modules are reported with a descriptor
// already open, so no module file is ever looked up by these callbacks.
const Dwfl_Callbacks& LocalDebugInfoCallbacks();

// The build id of `module` in lowercase hex, empty when it has none.
std::string BuildIdOf(Dwfl_Module* module);

} // namespace Talvex::Native
