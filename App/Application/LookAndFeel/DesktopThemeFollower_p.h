#pragma once

#include <QElapsedTimer>
#include <QTimer>

namespace Talvex::App {

// When the follower last switched and what that cost, for merging the desktop's
// changes that come while a switch settles.
struct DesktopThemeFollowerPrivate {
    QTimer settling;           // runs while changes wait for the settling time to end
    QElapsedTimer sinceSwitch; // invalid until following has switched
    qint64 lastSwitchCost = 0; // milliseconds
};

} // namespace Talvex::App
