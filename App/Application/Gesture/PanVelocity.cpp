#include "App/Application/Gesture/PanVelocity_p.h"

#include <QLineF>

#include <algorithm>
#include <cmath>
#include <vector>

namespace Talvex::App::Gesture {
namespace {

// Time relative to the lift.
struct TimedPosition {
    QPointF position;
    double time = 0.0;
};

struct Fit {
    QPointF mean;
    double meanTime = 0.0;
    QPointF slope;
};

// Position against time, per axis, each sample weighted alike. A degenerate set (all
// at one moment) has no slope.
Fit LeastSquares(const std::vector<TimedPosition>& points)
{
    Fit fit;
    for (const TimedPosition& point : points) {
        fit.mean += point.position;
        fit.meanTime += point.time;
    }
    fit.mean /= double(points.size());
    fit.meanTime /= double(points.size());
    double spread = 0.0;
    QPointF covariance;
    for (const TimedPosition& point : points) {
        const double dt = point.time - fit.meanTime;
        spread += dt * dt;
        covariance += (point.position - fit.mean) * dt;
    }
    if (spread > 0.0) {
        fit.slope = covariance / spread;
    }
    return fit;
}

double Residual(const Fit& fit, const TimedPosition& point)
{
    const QPointF expected = fit.mean + fit.slope * (point.time - fit.meanTime);
    return QLineF(expected, point.position).length();
}

QPointF Capped(QPointF velocity, double limit)
{
    const double speed = std::hypot(velocity.x(), velocity.y());
    return speed > limit ? velocity * (limit / speed) : velocity;
}

} // namespace

void PanVelocity::Reset(QPointF position, unsigned long time)
{
    samples.clear();
    samples.push_back({position, double(time)});
}

void PanVelocity::Add(QPointF position, unsigned long time)
{
    if (!samples.empty() && double(time) <= samples.back().time) {
        samples.back().position = position;
        return;
    }
    samples.push_back({position, double(time)});
    if (samples.size() > CAPACITY) {
        samples.pop_front();
    }
}

QPointF PanVelocity::At(unsigned long time) const
{
    std::vector<TimedPosition> recent;
    for (auto sample = samples.rbegin(); sample != samples.rend(); ++sample) {
        const TimedPosition point{sample->position, sample->time - double(time)};
        if (point.time >= -WINDOW_MS || recent.empty()) {
            recent.push_back(point);
            continue;
        }
        // The sample before the window gives where the finger was when the window
        // began, on the way to the next one; taken at its own time, an old sample
        // would pull the whole line towards it.
        const TimedPosition& next = recent.back();
        const double share = (-WINDOW_MS - point.time) / (next.time - point.time);
        recent.push_back({point.position + (next.position - point.position) * share, -WINDOW_MS});
        break;
    }
    if (recent.size() < 2) {
        return {};
    }
    Fit fit = LeastSquares(recent);
    // Two samples make any line; with three the worst one cannot be told from the rest.
    if (recent.size() >= 4) {
        const auto worst =
            std::max_element(recent.begin(), recent.end(), [&fit](const TimedPosition& a, const TimedPosition& b) {
                return Residual(fit, a) < Residual(fit, b);
            });
        recent.erase(worst);
        fit = LeastSquares(recent);
    }
    return Capped(fit.slope, MAX_SPEED);
}

} // namespace Talvex::App::Gesture
