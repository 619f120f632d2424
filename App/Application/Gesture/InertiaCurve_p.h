#pragma once

#include <QPointF>

namespace Talvex::App::Gesture {

// How content glides on after a flick. The speed decays exponentially, as if against
// friction proportional to speed:
//
//     v(t) = v0 · e^(−t/τ)        offset(t) = v0 · τ · (1 − e^(−t/τ))
//
// so the glide would come to rest v0 · τ from where the finger lifted, and it covers
// two thirds of that in its first τ. It stops when what is left of it, |v(t)| · τ,
// falls under REST_DISTANCE: at t_stop = τ · ln(|v0| · τ / REST_DISTANCE), having
// travelled v0 · τ less REST_DISTANCE along v0 in all. A glide that would travel
// less than that never starts.
//
// τ = 325 ms is the time constant commonly used for kinetic scrolling on touch
// desktops and phones: a flick of 3 px/ms (300 px in 100 ms) glides about 975 px,
// most of it in the first half second, and settles within about 2.5 s.
class InertiaCurve {
public:
    static constexpr double TIME_CONSTANT_MS = 325.0;
    static constexpr double REST_DISTANCE = 0.5;
    // Slower lifts end the pan where the finger left it (pixels per millisecond).
    static constexpr double MIN_LAUNCH_SPEED = 0.2;

    InertiaCurve() = default;
    // velocity: pixels per millisecond at the lift.
    explicit InertiaCurve(QPointF velocity);

    // True when a lift at this velocity should glide at all.
    static bool Launches(QPointF velocity);
    // Offset from the lift point after elapsedMs; the final offset from StopMs on.
    QPointF Offset(double elapsedMs) const;
    double StopMs() const { return stopMs; }
    // The whole way from the lift to rest.
    QPointF TotalOffset() const { return Offset(stopMs); }

private:
    QPointF velocity;
    double stopMs = 0.0;
};

} // namespace Talvex::App::Gesture
