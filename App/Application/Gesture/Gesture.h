#pragma once

#include <cstdint>

namespace Talvex::App::Gesture {

// A point in pixels.
struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;

    friend bool operator==(Point a, Point b) { return a.x == b.x && a.y == b.y; }
    friend bool operator!=(Point a, Point b) { return !(a == b); }
};

// One step of a touch gesture as a consumer sees it. The five kinds extend it; all
// are plain values.
struct Gesture {
    // What a consumer's WantGesture answers. For pan the answer is a set of the bits
    // below, and All wants every pan option.
    static constexpr int None = 0;
    static constexpr int All = 1;
    static constexpr int VerticalPan = 2;
    static constexpr int HorizontalPan = 4;
    static constexpr int PanInertia = 8;
    static constexpr int PanGutter = 16;

    struct Pan;
    struct Zoom;
    struct Rotate;
    struct Tap;
    struct PressAndTap;

    // In client coordinates of the window that received the touch.
    Point position;
    Point screenPosition;
    // The step starts, or ends, a gesture sequence.
    bool begin = false;
    bool end = false;
};

struct Gesture::Pan : Gesture {
    // The position of the step that began this pan.
    Point startPosition;
    Point inertiaVector;
    // The step comes from inertia after the fingers lifted.
    bool inertia = false;
    // Between the two touch points of a two-finger pan.
    std::uint32_t distance = 0;
};

// The scale relative to the start is distance / startDistance.
struct Gesture::Zoom : Gesture {
    double startDistance = 0.0;
    double distance = 0.0;
};

// Angles in radians.
struct Gesture::Rotate : Gesture {
    double startAngle = 0.0;
    double angle = 0.0;
};

// A two-finger tap.
struct Gesture::Tap : Gesture {
    std::uint32_t distance = 0;
};

// One finger held while a second one taps at tapPosition (client coordinates).
struct Gesture::PressAndTap : Gesture {
    Point tapPosition;
};

// The kinds by their own names, so signal signatures can name them fully qualified.
using Pan = Gesture::Pan;
using Zoom = Gesture::Zoom;
using Rotate = Gesture::Rotate;
using Tap = Gesture::Tap;
using PressAndTap = Gesture::PressAndTap;

} // namespace Talvex::App::Gesture
