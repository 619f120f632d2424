#include "App/Application/Gesture/Consumer.h"
#include "App/Application/Gesture/Producer.h"
#include "App/Application/Gesture/TouchSequence_p.h"
#include "Platform/Qt/TouchPoints.h"

#include <QLineF>
#include <QWidget>

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
// The inertia vector is the finger's velocity at the lift in pixels per this time.
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

bool OtherHeld(const QTouchEvent& event, int knownId)
{
    for (const TouchPoint& point : QtCompat::TouchPoints(event)) {
        if (point.id() != knownId && !QtCompat::IsReleased(point)) {
            return true;
        }
    }
    return false;
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

std::int32_t InertiaComponent(double pixelsPerMs)
{
    const double perSpan = pixelsPerMs * INERTIA_SPAN_MS;
    return static_cast<std::int32_t>(std::lround(std::clamp(perSpan, -32768.0, 32767.0)));
}

Point InertiaVector(QPointF velocity)
{
    return {InertiaComponent(velocity.x()), InertiaComponent(velocity.y())};
}

} // namespace

TouchSequence::TouchSequence(double slop) : slop(slop)
{
}

bool TouchSequence::Begin(const QTouchEvent& event, Producer& router, bool stopsGlide)
{
    const unsigned sequence = ++generation;
    // A sequence whose last finger up never came still owes its consumer the end step.
    Cancel();
    if (generation != sequence) {
        // The consumer let a later touch begin from that end step; it is the current one.
        return Taken();
    }
    phase = Phase::Ignored;
    target.reset();
    click = false;
    stoppedGlide = stopsGlide;
    if (QtCompat::TouchPoints(event).isEmpty()) {
        return false;
    }
    const TouchPoint& finger = QtCompat::TouchPoints(event).first();
    firstId = finger.id();
    startPosition = QtCompat::Position(finger);
    windowOrigin = QtCompat::ScreenPosition(finger) - QtCompat::Position(finger);
    startTime = event.timestamp();
    panOrigin = lastPan = startPosition;
    track.Reset(startPosition, startTime);
    panDistance = 0;
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
    // Stray events after the lift belong to no sequence of ours.
    if (phase == Phase::Coasting) {
        return false;
    }
    const bool taken = Taken();
    const unsigned sequence = generation;
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
    case Phase::TwoFingerPan:
        StepTwoFingers(event);
        break;
    case Phase::PressAndTap:
        StepPressAndTap(event);
        break;
    default:
        break;
    }
    // A touch the consumer let begin from one of our steps is not ours to end.
    if (generation != sequence) {
        return taken;
    }
    // The last finger is up even if the event does not say so of ours.
    if (event.type() == QEvent::TouchEnd) {
        Cancel();
    }
    return taken;
}

bool TouchSequence::Cancel()
{
    if (phase == Phase::Coasting) {
        return false;
    }
    const bool taken = Taken();
    if (phase == Phase::Panning || phase == Phase::TwoFingerPan) {
        auto end = PanRecord(lastPan);
        end.end = true;
        Finish(end, Phase::Idle);
    } else if (phase == Phase::Zooming || phase == Phase::Rotating) {
        EndTwoFinger(Phase::Idle);
    } else {
        phase = Phase::Idle;
        target.reset();
    }
    return taken;
}

bool TouchSequence::Taken() const
{
    return phase != Phase::Idle && phase != Phase::Ignored;
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
        // A finger that wandered off without making a gesture is no click either, nor
        // is a tap that only stopped a glide.
        click = !stoppedGlide && finger && !Moved(QtCompat::Position(*finger), startPosition);
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
        if (StartPan(QtCompat::Position(*finger) - startPosition, Phase::Panning)) {
            MovePan(QtCompat::Position(*finger), event.timestamp());
        }
    } else {
        track.Add(QtCompat::Position(*finger), event.timestamp());
    }
}

bool TouchSequence::PanAllows(QPointF delta) const
{
    return (AxisWanted(Gesture::VerticalPan, false) && std::abs(delta.y()) >= slop) ||
           (AxisWanted(Gesture::HorizontalPan, false) && std::abs(delta.x()) >= slop);
}

// The axis bits are single-finger options: a consumer that wants pan without them
// still pans with two fingers, on both axes.
bool TouchSequence::AxisWanted(int axis, bool twoFingers) const
{
    const int singleFinger = Gesture::All | Gesture::VerticalPan | Gesture::HorizontalPan;
    return (wishes.pan & (Gesture::All | axis)) != 0 || (twoFingers && (wishes.pan & singleFinger) == 0);
}

bool TouchSequence::WantsInertia() const
{
    return (wishes.pan & (Gesture::All | Gesture::PanInertia)) != 0;
}

// An axis the consumer did not ask for stays put; with the gutter, so does the axis
// the pan did not start along, for the rest of the pan and its glide. The rail is
// chosen among the wanted axes only: a single-axis consumer pans its axis however
// diagonally the finger starts.
bool TouchSequence::StartPan(QPointF delta, Phase next)
{
    const bool twoFingers = next == Phase::TwoFingerPan;
    const bool gutter = (wishes.pan & (Gesture::All | Gesture::PanGutter)) != 0;
    const bool horizontalWanted = AxisWanted(Gesture::HorizontalPan, twoFingers);
    const bool verticalWanted = AxisWanted(Gesture::VerticalPan, twoFingers);
    const bool railVertical = !horizontalWanted || (verticalWanted && std::abs(delta.y()) >= std::abs(delta.x()));
    horizontalLocked = !horizontalWanted || (gutter && railVertical);
    verticalLocked = !verticalWanted || (gutter && !railVertical);
    phase = next;
    auto begin = PanRecord(panOrigin);
    begin.begin = true;
    return Deliver(begin);
}

void TouchSequence::StepPan(const QTouchEvent& event)
{
    const TouchPoint* finger = Find(event, firstId);
    const QPointF position = finger ? QtCompat::Position(*finger) : lastPan;
    if (Released(finger)) {
        LiftPan(position, event.timestamp(), !OtherHeld(event, firstId));
    } else {
        MovePan(position, event.timestamp());
    }
}

bool TouchSequence::MovePan(QPointF position, ulong time)
{
    track.Add(position, time);
    const QPointF before = lastPan;
    lastPan = position;
    return Rounded(PanPoint(position)) == Rounded(PanPoint(before)) || Deliver(PanRecord(position));
}

// A lift with speed, for a consumer that wants inertia, sends no end step: the last
// finger step carries the inertia vector and the glide takes over. Not while another
// finger still rests on the glass: that one would land nowhere and could not stop it.
void TouchSequence::LiftPan(QPointF position, ulong time, bool glassClear)
{
    track.Add(position, time);
    const QPointF velocity = LiftVelocity(time);
    if (!glassClear || !WantsInertia() || !InertiaCurve::Launches(velocity)) {
        EndPan(position, time);
        return;
    }
    auto lift = PanRecord(position);
    lift.inertiaVector = InertiaVector(velocity);
    lastPan = position;
    StartCoasting(position, velocity, lift.inertiaVector);
    Deliver(lift);
}

void TouchSequence::EndPan(QPointF position, ulong time)
{
    if (!MovePan(position, time)) {
        return;
    }
    auto end = PanRecord(position);
    end.end = true;
    if (WantsInertia()) {
        end.inertiaVector = InertiaVector(LiftVelocity(time));
    }
    Finish(end, Phase::Finished);
}

QPointF TouchSequence::PanPoint(QPointF position) const
{
    return {horizontalLocked ? panOrigin.x() : position.x(), verticalLocked ? panOrigin.y() : position.y()};
}

// Along the pan's rails only, so the glide never leaves the axis the pan kept to.
QPointF TouchSequence::LiftVelocity(ulong time) const
{
    const QPointF velocity = track.At(time);
    return {horizontalLocked ? 0.0 : velocity.x(), verticalLocked ? 0.0 : velocity.y()};
}

Gesture::Pan TouchSequence::PanRecord(QPointF position) const
{
    auto pan = Record<Gesture::Pan>(PanPoint(position));
    pan.startPosition = Rounded(panOrigin);
    pan.distance = panDistance;
    return pan;
}

void TouchSequence::StartCoasting(QPointF position, QPointF velocity, Point vector)
{
    curve = InertiaCurve(velocity);
    glideOrigin = PanPoint(position);
    glidePosition = Rounded(glideOrigin);
    launchVector = vector;
    ++glides;
    phase = Phase::Coasting;
}

QWidget* TouchSequence::TargetWidget() const
{
    auto* object = dynamic_cast<QObject*>(target.get());
    if (!object) {
        return nullptr;
    }
    auto* widget = qobject_cast<QWidget*>(object);
    return widget ? widget : qobject_cast<QWidget*>(object->parent());
}

bool TouchSequence::Glide(double elapsedMs)
{
    if (phase != Phase::Coasting) {
        return false;
    }
    if (!target.get()) {
        phase = Phase::Idle;
        return false;
    }
    const Point position = Rounded(glideOrigin + curve.Offset(elapsedMs));
    if (position != glidePosition) {
        glidePosition = position;
        if (!Deliver(GlideRecord())) {
            return phase == Phase::Coasting;
        }
    }
    if (elapsedMs >= curve.StopMs()) {
        StopCoasting();
    }
    return phase == Phase::Coasting;
}

void TouchSequence::StopCoasting()
{
    if (phase != Phase::Coasting) {
        return;
    }
    auto end = GlideRecord();
    end.end = true;
    Finish(end, Phase::Idle);
}

void TouchSequence::Abandon()
{
    if (phase == Phase::Coasting) {
        target.reset();
        phase = Phase::Idle;
    }
    click = false;
}

Gesture::Pan TouchSequence::GlideRecord() const
{
    auto pan = Record<Gesture::Pan>(QPointF(glidePosition.x, glidePosition.y));
    pan.startPosition = Rounded(panOrigin);
    pan.inertia = true;
    pan.inertiaVector = launchVector;
    return pan;
}

void TouchSequence::EnterTwoFingers(const TouchPoint& first, const TouchPoint& second)
{
    secondId = second.id();
    secondStart = QtCompat::Position(second);
    startDistance = lastDistance = QLineF(QtCompat::Position(first), QtCompat::Position(second)).length();
    lastRawAngle = ScreenAngle(QtCompat::Position(first), QtCompat::Position(second));
    angle = 0.0;
    center = twoFingerStart = (QtCompat::Position(first) + QtCompat::Position(second)) / 2;
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
        RecognizeTwoFingers(first, second, released, event.timestamp());
    } else if (phase == Phase::TwoFingerPan) {
        panDistance = static_cast<std::uint32_t>(std::lround(lastDistance));
        if (released) {
            EndPan(center, event.timestamp());
        } else {
            MovePan(center, event.timestamp());
        }
    } else if (released) {
        EndTwoFinger(Phase::Finished);
    } else {
        DeliverTwoFinger();
    }
}

// Fingers that move apart zoom and fingers that turn rotate, before anything else; only
// fingers that move together, keeping their distance and angle, pan.
void TouchSequence::RecognizeTwoFingers(const TouchPoint* first, const TouchPoint* second, bool released, ulong time)
{
    if (released) {
        const bool still = first && second && !Moved(QtCompat::Position(*first), startPosition) &&
                           !Moved(QtCompat::Position(*second), secondStart);
        if (wishes.tap && still) {
            auto tap = Record<Gesture::Tap>(center);
            tap.begin = tap.end = true;
            tap.distance = static_cast<std::uint32_t>(std::lround(startDistance));
            Finish(tap, Phase::Finished);
        } else {
            phase = Phase::Finished;
        }
        return;
    }
    if (wishes.zoom && std::abs(lastDistance - startDistance) >= slop) {
        phase = Phase::Zooming;
    } else if (wishes.rotate && std::abs(angle) >= ROTATE_SLOP) {
        phase = Phase::Rotating;
    } else if (wishes.pan && Moved(center, twoFingerStart)) {
        panOrigin = lastPan = twoFingerStart;
        track.Reset(twoFingerStart, startTime);
        panDistance = static_cast<std::uint32_t>(std::lround(lastDistance));
        if (StartPan(center - twoFingerStart, Phase::TwoFingerPan)) {
            MovePan(center, time);
        }
        return;
    } else {
        return;
    }
    if (DeliverTwoFingerBegin()) {
        DeliverTwoFinger();
    }
}

bool TouchSequence::DeliverTwoFingerBegin()
{
    if (phase == Phase::Zooming) {
        auto zoom = Record<Gesture::Zoom>(center);
        zoom.begin = true;
        zoom.startDistance = zoom.distance = startDistance;
        return Deliver(zoom);
    }
    auto rotate = Record<Gesture::Rotate>(center);
    rotate.begin = true;
    return Deliver(rotate);
}

void TouchSequence::DeliverTwoFinger()
{
    if (phase == Phase::Zooming) {
        Deliver(ZoomRecord());
    } else if (phase == Phase::Rotating) {
        Deliver(RotateRecord());
    }
}

void TouchSequence::EndTwoFinger(Phase next)
{
    if (phase == Phase::Zooming) {
        auto zoom = ZoomRecord();
        zoom.end = true;
        Finish(zoom, next);
    } else {
        auto rotate = RotateRecord();
        rotate.end = true;
        Finish(rotate, next);
    }
}

Gesture::Zoom TouchSequence::ZoomRecord() const
{
    auto zoom = Record<Gesture::Zoom>(center);
    zoom.startDistance = startDistance;
    zoom.distance = lastDistance;
    return zoom;
}

Gesture::Rotate TouchSequence::RotateRecord() const
{
    auto rotate = Record<Gesture::Rotate>(center);
    rotate.angle = angle;
    return rotate;
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
        Finish(pressAndTap, Phase::Finished);
    } else {
        phase = Phase::Finished;
    }
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

template <class Kind> bool TouchSequence::Deliver(const Kind& record)
{
    const unsigned sequence = generation;
    if (Consumer* consumer = target.get()) {
        consumer->OnGesture(record);
    }
    return generation == sequence;
}

// The sequence is over before the consumer hears its last record: a consumer whose
// handler runs an event loop while the user touches again then finds nothing left to
// end, and the new touch's sequence is not overwritten once the handler returns.
template <class Kind> void TouchSequence::Finish(const Kind& record, Phase next)
{
    Consumer* consumer = target.get();
    target.reset();
    phase = next;
    if (consumer) {
        consumer->OnGesture(record);
    }
}

} // namespace Talvex::App::Gesture
