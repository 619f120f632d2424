#pragma once

class QObject;

namespace Talvex::App {
class NativeEventFilter;
}

namespace Talvex::App::Gesture {

// Connects gesture handling to an application: native messages go to a router created
// on the first of them, as a child of the filter; every scroll area gets a Scroller
// when first shown; and where touch screens deliver Qt touch events instead of gesture
// messages, a TouchBridge (a child of application) turns them into gestures.
void InstallGestureSupport(QObject& application, NativeEventFilter& filter);

} // namespace Talvex::App::Gesture
