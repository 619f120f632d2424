#pragma once

#include "App/Application/Gesture/Gesture.h"
#include "App/Application/Gesture/InertiaCurve_p.h"
#include "App/Application/Gesture/PanVelocity_p.h"
#include "App/Application/Gesture/TrackedConsumer_p.h"
#include "Platform/Qt/TouchPoints.h"

#include <QPointF>
#include <QTouchEvent>

#include <cstdint>

class QWidget;

namespace Talvex::App::Gesture {

class Producer;

// The recognizer behind the touch bridge: one touch sequence at a time, from the
// first finger down to the last finger up, as an explicit set of phases. A sequence
// is taken whole or not at all; what it turns into is settled by the fingers' moves.
// A one-finger pan lifted with speed, for a consumer that wants inertia, goes on
// coasting after the sequence: the owner then calls Glide once a frame until it
// answers false, or StopCoasting to end it early. Either way the consumer gets one
// end step, unless it was destroyed meanwhile.
class TouchSequence {
public:
    // slop: how far a finger moves, in pixels, before it counts as moving.
    explicit TouchSequence(double slop);

    // Each returns true when the sequence is taken: the event is then consumed.
    // stopsGlide: this touch ended a glide, so a tap makes no click.
    bool Begin(const QTouchEvent& event, Producer& router, bool stopsGlide);
    bool Step(const QTouchEvent& event);
    bool Cancel();
    // True once after a taken sequence that was one finger lifted where it landed: no
    // gesture, but a click, at the given window and screen positions.
    bool TakeClick(QPointF& position, QPointF& screenPosition);

    bool Coasting() const { return phase == Phase::Coasting; }
    // Numbers the glides, so the owner can tell a new one from one it already drives.
    unsigned Glides() const { return glides; }
    // The widget whose hiding stops the glide: the consumer itself if it is a widget,
    // else the widget it belongs to; null when there is none.
    QWidget* TargetWidget() const;
    // Delivers the glide's position elapsedMs after the lift, and its end once it has
    // come to rest; false once there is nothing more to deliver.
    bool Glide(double elapsedMs);
    void StopCoasting();
    // For a window that is gone: a glide it began ends without its end step, and a
    // pending click is dropped. A sequence still under way keeps its consumer, who
    // hears its end when the next touch begins.
    void Abandon();

private:
    enum class Phase {
        Idle,
        Ignored,
        Pending,
        Panning,
        TwoFingers,
        Zooming,
        Rotating,
        TwoFingerPan,
        PressAndTap,
        Finished,
        Coasting
    };

    struct Wishes {
        int pan = 0;
        bool zoom = false;
        bool rotate = false;
        bool tap = false;
        bool pressAndTap = false;
    };

    using TouchPoint = QtCompat::TouchPoint;

    bool Taken() const;
    void StepPending(const QTouchEvent& event);
    bool PanAllows(QPointF delta) const;
    bool AxisWanted(int axis, bool twoFingers) const;
    bool WantsInertia() const;
    bool StartPan(QPointF delta, Phase next);
    void StepPan(const QTouchEvent& event);
    bool MovePan(QPointF position, ulong time);
    void LiftPan(QPointF position, ulong time, bool glassClear);
    void EndPan(QPointF position, ulong time);
    QPointF PanPoint(QPointF position) const;
    QPointF LiftVelocity(ulong time) const;
    Gesture::Pan PanRecord(QPointF position) const;
    void StartCoasting(QPointF position, QPointF velocity, Point vector);
    Gesture::Pan GlideRecord() const;
    void EnterTwoFingers(const TouchPoint& first, const TouchPoint& second);
    void StepTwoFingers(const QTouchEvent& event);
    void RecognizeTwoFingers(const TouchPoint* first, const TouchPoint* second, bool released, ulong time);
    bool DeliverTwoFingerBegin();
    void DeliverTwoFinger();
    void EndTwoFinger(Phase next);
    Gesture::Zoom ZoomRecord() const;
    Gesture::Rotate RotateRecord() const;
    void StepPressAndTap(const QTouchEvent& event);
    bool Moved(QPointF position, QPointF start) const;
    template <class Kind> Kind Record(QPointF position) const;
    // False when the consumer let a new touch begin meanwhile: the caller's sequence is
    // then over and must not be touched further.
    template <class Kind> bool Deliver(const Kind& record);
    template <class Kind> void Finish(const Kind& record, Phase next);

    const double slop;
    Phase phase = Phase::Idle;
    // Counts the touches begun, so that a step can tell that the consumer it just
    // called let a new one begin.
    unsigned generation = 0;
    Wishes wishes;
    TrackedConsumer target;
    // Window coordinates; windowOrigin is where the window lies on the screen.
    QPointF startPosition;
    QPointF secondStart;
    QPointF windowOrigin;
    ulong startTime = 0;
    // Where the pan began: the finger's landing point, or the two fingers' centre.
    QPointF panOrigin;
    // The last position the pan followed, and its recent path for the lift velocity.
    QPointF lastPan;
    PanVelocity track;
    std::uint32_t panDistance = 0;
    InertiaCurve curve;
    QPointF glideOrigin;
    Point glidePosition;
    Point launchVector;
    unsigned glides = 0;
    bool horizontalLocked = false;
    bool verticalLocked = false;
    int firstId = -1;
    int secondId = -1;
    double startDistance = 0.0;
    double lastDistance = 0.0;
    double lastRawAngle = 0.0;
    double angle = 0.0;
    QPointF center;
    QPointF twoFingerStart;
    bool click = false;
    bool stoppedGlide = false;
};

} // namespace Talvex::App::Gesture
