#include "App/Application/Gesture/Emitter.h"

namespace Talvex::App::Gesture {

Emitter::Emitter(QObject* parent) : QObject(parent)
{
}

Emitter::~Emitter() = default;

void Emitter::setZoomEnabled(bool enabled)
{
    zoomEnabled = enabled;
}

void Emitter::setRotateEnabled(bool enabled)
{
    rotateEnabled = enabled;
}

void Emitter::setTapEnabled(bool enabled)
{
    tapEnabled = enabled;
}

void Emitter::setPressAndTapEnabled(bool enabled)
{
    pressAndTapEnabled = enabled;
}

void Emitter::setHorizontalPanEnabled(bool enabled)
{
    horizontalPanEnabled = enabled;
}

void Emitter::setVerticalPanEnabled(bool enabled)
{
    verticalPanEnabled = enabled;
}

void Emitter::setPanGutterEnabled(bool enabled)
{
    panGutterEnabled = enabled;
}

void Emitter::setPanInertiaEnabled(bool enabled)
{
    panInertiaEnabled = enabled;
}

int Emitter::allOrNone(bool enabled)
{
    return enabled ? Gesture::All : Gesture::None;
}

void Emitter::OnGesture(const Gesture::PressAndTap& gesture)
{
    emit pressAndTap(gesture);
}

void Emitter::OnGesture(const Gesture::Tap& gesture)
{
    emit tap(gesture);
}

void Emitter::OnGesture(const Gesture::Rotate& gesture)
{
    emit rotate(gesture);
}

void Emitter::OnGesture(const Gesture::Zoom& gesture)
{
    emit zoom(gesture);
}

void Emitter::OnGesture(const Gesture::Pan& gesture)
{
    emit pan(gesture);
}

int Emitter::WantGesture(const Gesture::PressAndTap&)
{
    return allOrNone(pressAndTapEnabled);
}

int Emitter::WantGesture(const Gesture::Tap&)
{
    return allOrNone(tapEnabled);
}

int Emitter::WantGesture(const Gesture::Rotate&)
{
    return allOrNone(rotateEnabled);
}

int Emitter::WantGesture(const Gesture::Zoom&)
{
    return allOrNone(zoomEnabled);
}

int Emitter::WantGesture(const Gesture::Pan&)
{
    return (panGutterEnabled ? Gesture::PanGutter : 0) | (panInertiaEnabled ? Gesture::PanInertia : 0) |
           (horizontalPanEnabled ? Gesture::HorizontalPan : 0) | (verticalPanEnabled ? Gesture::VerticalPan : 0);
}

} // namespace Talvex::App::Gesture
