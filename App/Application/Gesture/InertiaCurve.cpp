#include "App/Application/Gesture/InertiaCurve_p.h"

#include <algorithm>
#include <cmath>

namespace Talvex::App::Gesture {
namespace {

double Speed(QPointF velocity)
{
    return std::hypot(velocity.x(), velocity.y());
}

} // namespace

InertiaCurve::InertiaCurve(QPointF velocity) : velocity(velocity)
{
    const double reach = Speed(velocity) * TIME_CONSTANT_MS;
    stopMs = reach > REST_DISTANCE ? TIME_CONSTANT_MS * std::log(reach / REST_DISTANCE) : 0.0;
}

bool InertiaCurve::Launches(QPointF velocity)
{
    return Speed(velocity) >= MIN_LAUNCH_SPEED;
}

QPointF InertiaCurve::Offset(double elapsedMs) const
{
    const double t = std::clamp(elapsedMs, 0.0, stopMs);
    return velocity * (TIME_CONSTANT_MS * (1.0 - std::exp(-t / TIME_CONSTANT_MS)));
}

} // namespace Talvex::App::Gesture
