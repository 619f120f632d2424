#pragma once

#include <QPointF>

#include <cstddef>
#include <deque>

namespace Talvex::App::Gesture {

// The finger's velocity when it lifts, estimated from its recent path. Touch screens
// report positions with a pixel or two of noise and now and then one event that is
// well off the line, so a plain difference of the last two events would launch a glide
// in a random direction. Instead: a least-squares line through the samples of the last
// WINDOW_MS (and where the finger was when that window began, so a finger that rested
// before lifting scores zero), fitted again without the sample that fits worst once
// there are enough samples to spare one; the result is capped at MAX_SPEED.
class PanVelocity {
public:
    // Pixels per millisecond.
    static constexpr double MAX_SPEED = 6.0;
    static constexpr double WINDOW_MS = 100.0;

    void Reset(QPointF position, unsigned long time);
    // Events with the same timestamp (or one that went backwards) count as one sample:
    // the last position wins.
    void Add(QPointF position, unsigned long time);
    // Pixels per millisecond at `time`; zero without two distinct moments to compare.
    QPointF At(unsigned long time) const;

private:
    struct Sample {
        QPointF position;
        double time = 0.0;
    };

    // Enough for 100 ms of events at 300 Hz; older ones only matter as the anchor.
    static constexpr std::size_t CAPACITY = 32;

    std::deque<Sample> samples;
};

} // namespace Talvex::App::Gesture
