#pragma once

#include "Platform/Native/HandOverMessage.h"

#include <TalvexExport.h>

#include <QByteArray>

namespace Talvex::Native {

// The launcher's activation tokens are single-use: whoever reads them from the
// environment first may spend them. This takes both out of the environment (the X11
// startup id, DESKTOP_STARTUP_ID, and the Wayland token, XDG_ACTIVATION_TOKEN) so that
// they travel with a hand-over only, and puts them back for a launch that starts on its
// own after all. Before any thread exists, as the environment is not thread-safe.
class TALVEX_EXPORT LaunchEnvironment {
public:
    LaunchEnvironment();

    // The hand-over of this launch: its command line, working folder and tokens.
    HandOverMessage Message(int argc, char** argv) const;
    void Restore();

private:
    QByteArray startupId;
    QByteArray activationToken;
};

} // namespace Talvex::Native
