#include "App/Application/Gesture/Consumer.h"

#include "App/Application/Gesture/TrackedConsumer_p.h"

namespace Talvex::App::Gesture {

Consumer::~Consumer()
{
    TrackedConsumer::Forget(this);
}

void Consumer::OnGesture(const Gesture::PressAndTap&)
{
}

void Consumer::OnGesture(const Gesture::Tap&)
{
}

void Consumer::OnGesture(const Gesture::Rotate&)
{
}

void Consumer::OnGesture(const Gesture::Zoom&)
{
}

void Consumer::OnGesture(const Gesture::Pan&)
{
}

int Consumer::WantGesture(const Gesture::PressAndTap&)
{
    return Gesture::None;
}

int Consumer::WantGesture(const Gesture::Tap&)
{
    return Gesture::None;
}

int Consumer::WantGesture(const Gesture::Rotate&)
{
    return Gesture::None;
}

int Consumer::WantGesture(const Gesture::Zoom&)
{
    return Gesture::None;
}

int Consumer::WantGesture(const Gesture::Pan&)
{
    return Gesture::None;
}

} // namespace Talvex::App::Gesture
