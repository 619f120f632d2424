#pragma once

#include "App/Application/Gesture/Gesture.h"
#include "Platform/Native/GestureMessages.h"

#include <TalvexExport.h>

#include <variant>

namespace Talvex::App::Gesture {

// What a sequence remembers from its begin step. A later sequence that arrives
// without a begin step reuses the values of the previous one.
struct GestureStart {
    double zoomStartDistance = 0.0;
    double rotateStartAngle = 0.0;
    Point panStartPosition;
};

// One decoded step: one of the five kinds, or nothing for ids that are no gesture.
using DecodedGesture =
    std::variant<std::monostate, Gesture::Pan, Gesture::Zoom, Gesture::Rotate, Gesture::Tap, Gesture::PressAndTap>;

// Turns the window system's description of one gesture step into a record. Pure:
// position is the step's point already converted to client coordinates, and start is
// updated by begin steps only. Any input is valid; unknown ids decode to nothing.
TALVEX_EXPORT DecodedGesture DecodeGesture(const Native::GESTUREINFO& info, Point position, GestureStart& start);

// The rotation angle the system encodes in a rotate step's argument, in radians.
TALVEX_EXPORT double RotateAngleFromArgument(std::uint64_t argument);

} // namespace Talvex::App::Gesture
