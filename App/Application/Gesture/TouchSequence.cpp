#include "App/Application/Gesture/Consumer.h"
#include "App/Application/Gesture/Producer.h"
#include "App/Application/Gesture/TouchSequence_p.h"
#include "Platform/Qt/TouchPoints.h"

#include <QLineF>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace Talvex::App::Gesture {
namespace {

using QtCompat::TouchPoint;
// A second finger that lands this soon after the first makes a two-finger gesture;
// later, with the first finger still held, it makes a press-and-tap.
const ulong SIMULTANEOUS_MS = 150;
// Rotation that starts a rotate gesture, in radians (about 10 degrees).
const double ROTATE_SLOP = 0.17;
const double PI = 3.14159265358979323846;
// The inertia vector is the finger's velocity at release in pixels per this time.
const double INERTIA_SPAN_MS = 100.0;

const TouchPoint* Find(const QTouchEvent& event, int id)
{
    for (const TouchPoint& point : QtCompat::TouchPoints(event)) {
        if (point.id() == id) {
            return &point;
        }
    }
    return nullptr;
}

const TouchPoint* NewFinger(const QTouchEvent& event, int knownId)
{
    for (const TouchPoint& point : QtCompat::TouchPoints(event)) {
        if (point.id() != knownId && QtCompat::IsPressed(point)) {
            return &point;
        }
    }
    return nullptr;
}

bool Released(const TouchPoint* point)
{
    return !point || QtCompat::IsReleased(*point);
}

Point Rounded(QPointF point)
{
    return {static_cast<std::int32_t>(std::lround(point.x())), static_cast<std::int32_t>(std::lround(point.y()))};
}

// Counter-clockwise on screen is positive, whatever way the y axis points.
double ScreenAngle(QPointF a, QPointF b)
{
    return std::atan2(a.y() - b.y(), b.x() - a.x());
}

double Normalized(double angle)
{
    while (angle > PI) {
        angle -= 2 * PI;
    }
    while (angle <= -PI) {
        angle += 2 * PI;
    }
    return angle;
}

std::int32_t InertiaComponent(double distance, double milliseconds)
{
    const double perSpan = distance * INERTIA_SPAN_MS / std::max(1.0, milliseconds);
    return static_cast<std::int32_t>(std::lround(std::clamp(perSpan, -32768.0, 32767.0)));
}

} // namespace

TouchSequence::TouchSequence(double slop) : slop(slop)
{
}

bool TouchSequence::Begin(const QTouchEvent& event, Producer& router)
{
    phase = Phase::Ignored;
    target.reset();
    click = false;
    if (QtCompat::TouchPoints(event).isEmpty()) {
        return false;
    }
    const TouchPoint& finger = QtCompat::TouchPoints(event).first();
    firstId = finger.id();
    startPosition = QtCompat::Position(finger);
    windowOrigin = QtCompat::ScreenPosition(finger) - QtCompat::Position(finger);
    startTime = event.timestamp();
    previous = last = {startPosition, startTime};
    Consumer* consumer = router.Route(Record<Gesture>(startPosition));
    if (!consumer) {
        return false;
    }
    wishes.zoom = consumer->WantGesture(Record<Gesture::Zoom>(startPosition)) == Gesture::All;
    wishes.pan = consumer->WantGesture(Record<Gesture::Pan>(startPosition));
    wishes.rotate = consumer->WantGesture(Record<Gesture::Rotate>(startPosition)) == Gesture::All;
    wishes.tap = consumer->WantGesture(Record<Gesture::Tap>(startPosition)) == Gesture::All;
    wishes.pressAndTap = consumer->WantGesture(Record<Gesture::PressAndTap>(startPosition)) == Gesture::All;
    if (!wishes.pan && !wishes.zoom && !wishes.rotate && !wishes.tap && !wishes.pressAndTap) {
        return false;
    }
    target.reset(consumer);
    phase = Phase::Pending;
    if (const TouchPoint* second = NewFinger(event, firstId)) {
        EnterTwoFingers(finger, *second);
    }
    return true;
}

bool TouchSequence::Step(const QTouchEvent& event)
{
    const bool taken = phase != Phase::Idle && phase != Phase::Ignored;
    switch (phase) {
    case Phase::Pending:
        StepPending(event);
        break;
    case Phase::Panning:
        StepPan(event);
        break;
    case Phase::TwoFingers:
    case Phase::Zooming:
    case Phase::Rotating:
        StepTwoFingers(event);
        break;
    case Phase::PressAndTap:
        StepPressAndTap(event);
        break;
    default:
        break;
    }
    if (event.type() == QEvent::TouchEnd) {
        phase = Phase::Idle;
        target.reset();
    }
    return taken;
}

bool TouchSequence::Cancel()
{
    const bool taken = phase != Phase::Idle && phase != Phase::Ignored;
    if (phase == Phase::Panning) {
        auto end = PanRecord(last.position);
        end.end = true;
        Deliver(end);
    } else if (phase == Phase::Zooming || phase == Phase::Rotating) {
        DeliverTwoFinger(true);
    }
    phase = Phase::Idle;
    target.reset();
    return taken;
}

bool TouchSequence::TakeClick(QPointF& position, QPointF& screenPosition)
{
    if (!click) {
        return false;
    }
    click = false;
    position = startPosition;
    screenPosition = startPosition + windowOrigin;
    return true;
}

void TouchSequence::StepPending(const QTouchEvent& event)
{
    const TouchPoint* finger = Find(event, firstId);
    if (Released(finger)) {
        // A finger that wandered off without making a gesture is no click either.
        click = finger && !Moved(QtCompat::Position(*finger), startPosition);
        phase = Phase::Finished;
    } else if (const TouchPoint* second = NewFinger(event, firstId)) {
        if (event.timestamp() - startTime <= SIMULTANEOUS_MS) {
            EnterTwoFingers(*finger, *second);
        } else {
            secondId = second->id();
            secondStart = QtCompat::Position(*second);
            phase = Phase::PressAndTap;
        }
    } else if (PanAllows(QtCompat::Position(*finger) - startPosition)) {
        StartPan(QtCompat::Position(*finger) - startPosition);
        MovePan(QtCompat::Position(*finger), event.timestamp());
    }
}

bool TouchSequence::PanAllows(QPointF delta) const
{
    const bool vertical = (wishes.pan & (Gesture::All | Gesture::VerticalPan)) != 0;
    const bool horizontal = (wishes.pan & (Gesture::All | Gesture::HorizontalPan)) != 0;
    return (vertical && std::abs(delta.y()) >= slop) || (horizontal && std::abs(delta.x()) >= slop);
}

// An axis the consumer did not ask for stays put; with the gutter, so does the axis
// the finger did not start along.
void TouchSequence::StartPan(QPointF delta)
{
    const bool gutter = (wishes.pan & (Gesture::All | Gesture::PanGutter)) != 0;
    const bool mostlyVertical = std::abs(delta.y()) >= std::abs(delta.x());
    horizontalLocked = (wishes.pan & (Gesture::All | Gesture::HorizontalPan)) == 0 || (gutter && mostlyVertical);
    verticalLocked = (wishes.pan & (Gesture::All | Gesture::VerticalPan)) == 0 || (gutter && !mostlyVertical);
    phase = Phase::Panning;
    auto begin = PanRecord(startPosition);
    begin.begin = true;
    Deliver(begin);
}

void TouchSequence::StepPan(const QTouchEvent& event)
{
    const TouchPoint* finger = Find(event, firstId);
    const QPointF position = finger ? QtCompat::Position(*finger) : last.position;
    MovePan(position, event.timestamp());
    if (Released(finger)) {
        EndPan(position, event.timestamp());
    }
}

void TouchSequence::MovePan(QPointF position, ulong time)
{
    const Sample before = last;
    if (time != last.time) {
        previous = last;
    }
    last = {position, time};
    if (Rounded(PanPoint(position)) != Rounded(PanPoint(before.position))) {
        Deliver(PanRecord(position));
    }
}

void TouchSequence::EndPan(QPointF position, ulong time)
{
    auto end = PanRecord(position);
    end.end = true;
    if ((wishes.pan & (Gesture::All | Gesture::PanInertia)) != 0) {
        const QPointF travel = PanPoint(position) - PanPoint(previous.position);
        const double elapsed = double(time - previous.time);
        end.inertiaVector = {InertiaComponent(travel.x(), elapsed), InertiaComponent(travel.y(), elapsed)};
    }
    Deliver(end);
    phase = Phase::Finished;
}

QPointF TouchSequence::PanPoint(QPointF position) const
{
    return {horizontalLocked ? startPosition.x() : position.x(), verticalLocked ? startPosition.y() : position.y()};
}

Gesture::Pan TouchSequence::PanRecord(QPointF position) const
{
    auto pan = Record<Gesture::Pan>(PanPoint(position));
    pan.startPosition = Rounded(startPosition);
    return pan;
}

void TouchSequence::EnterTwoFingers(const TouchPoint& first, const TouchPoint& second)
{
    secondId = second.id();
    secondStart = QtCompat::Position(second);
    startDistance = lastDistance = QLineF(QtCompat::Position(first), QtCompat::Position(second)).length();
    lastRawAngle = ScreenAngle(QtCompat::Position(first), QtCompat::Position(second));
    angle = 0.0;
    center = (QtCompat::Position(first) + QtCompat::Position(second)) / 2;
    phase = Phase::TwoFingers;
}

void TouchSequence::StepTwoFingers(const QTouchEvent& event)
{
    const TouchPoint* first = Find(event, firstId);
    const TouchPoint* second = Find(event, secondId);
    const bool released = Released(first) || Released(second);
    if (first && second) {
        lastDistance = QLineF(QtCompat::Position(*first), QtCompat::Position(*second)).length();
        const double raw = ScreenAngle(QtCompat::Position(*first), QtCompat::Position(*second));
        angle += Normalized(raw - lastRawAngle);
        lastRawAngle = raw;
        center = (QtCompat::Position(*first) + QtCompat::Position(*second)) / 2;
    }
    if (phase == Phase::TwoFingers) {
        RecognizeTwoFingers(first, second, released);
    } else {
        DeliverTwoFinger(released);
    }
    if (released) {
        phase = Phase::Finished;
    }
}

void TouchSequence::RecognizeTwoFingers(const TouchPoint* first, const TouchPoint* second, bool released)
{
    if (released) {
        const bool still = first && second && !Moved(QtCompat::Position(*first), startPosition) &&
                           !Moved(QtCompat::Position(*second), secondStart);
        if (wishes.tap && still) {
            auto tap = Record<Gesture::Tap>(center);
            tap.begin = tap.end = true;
            tap.distance = static_cast<std::uint32_t>(std::lround(startDistance));
            Deliver(tap);
        }
        return;
    }
    if (wishes.zoom && std::abs(lastDistance - startDistance) >= slop) {
        phase = Phase::Zooming;
    } else if (wishes.rotate && std::abs(angle) >= ROTATE_SLOP) {
        phase = Phase::Rotating;
    } else {
        return;
    }
    DeliverTwoFingerBegin();
    DeliverTwoFinger(false);
}

void TouchSequence::DeliverTwoFingerBegin()
{
    if (phase == Phase::Zooming) {
        auto zoom = Record<Gesture::Zoom>(center);
        zoom.begin = true;
        zoom.startDistance = zoom.distance = startDistance;
        Deliver(zoom);
    } else {
        auto rotate = Record<Gesture::Rotate>(center);
        rotate.begin = true;
        Deliver(rotate);
    }
}

void TouchSequence::DeliverTwoFinger(bool end)
{
    if (phase == Phase::Zooming) {
        auto zoom = Record<Gesture::Zoom>(center);
        zoom.end = end;
        zoom.startDistance = startDistance;
        zoom.distance = lastDistance;
        Deliver(zoom);
    } else if (phase == Phase::Rotating) {
        auto rotate = Record<Gesture::Rotate>(center);
        rotate.end = end;
        rotate.angle = angle;
        Deliver(rotate);
    }
}

// The held finger must stay put; the tapping one must lift where it landed.
void TouchSequence::StepPressAndTap(const QTouchEvent& event)
{
    const TouchPoint* holder = Find(event, firstId);
    const TouchPoint* tapper = Find(event, secondId);
    if (Released(holder) || Moved(QtCompat::Position(*holder), startPosition) || !tapper) {
        phase = Phase::Finished;
        return;
    }
    if (!QtCompat::IsReleased(*tapper)) {
        return;
    }
    if (wishes.pressAndTap && !Moved(QtCompat::Position(*tapper), secondStart)) {
        auto pressAndTap = Record<Gesture::PressAndTap>(QtCompat::Position(*holder));
        pressAndTap.begin = pressAndTap.end = true;
        pressAndTap.tapPosition = Rounded(QtCompat::Position(*tapper));
        Deliver(pressAndTap);
    }
    phase = Phase::Finished;
}

bool TouchSequence::Moved(QPointF position, QPointF start) const
{
    return (position - start).manhattanLength() >= slop;
}

template <class Kind> Kind TouchSequence::Record(QPointF position) const
{
    Kind record;
    record.position = Rounded(position);
    record.screenPosition = Rounded(position + windowOrigin);
    return record;
}

template <class Kind> void TouchSequence::Deliver(const Kind& record)
{
    if (Consumer* consumer = target.get()) {
        consumer->OnGesture(record);
    }
}

} // namespace Talvex::App::Gesture
