#pragma once

#include "App/Application/Gesture/Gesture.h"
#include "App/Application/Gesture/TrackedConsumer_p.h"

#include <QPointF>
#include <QTouchEvent>

namespace Talvex::App::Gesture {

class Producer;

// The recognizer behind the touch bridge: one touch sequence at a time, from the
// first finger down to the last finger up, as an explicit set of phases. A sequence
// is taken whole or not at all; what it turns into is settled by the fingers' moves.
class TouchSequence {
public:
    // slop: how far a finger moves, in pixels, before it counts as moving.
    explicit TouchSequence(double slop);

    // Each returns true when the sequence is taken: the event is then consumed.
    bool Begin(const QTouchEvent& event, Producer& router);
    bool Step(const QTouchEvent& event);
    bool Cancel();
    // True once after a taken sequence that was one finger lifted where it landed: no
    // gesture, but a click, at the given window and screen positions.
    bool TakeClick(QPointF& position, QPointF& screenPosition);

private:
    enum class Phase { Idle, Ignored, Pending, Panning, TwoFingers, Zooming, Rotating, PressAndTap, Finished };

    struct Wishes {
        int pan = 0;
        bool zoom = false;
        bool rotate = false;
        bool tap = false;
        bool pressAndTap = false;
    };

    struct Sample {
        QPointF position;
        ulong time = 0;
    };

    using TouchPoint = QTouchEvent::TouchPoint;

    void StepPending(const QTouchEvent& event);
    bool PanAllows(QPointF delta) const;
    void StartPan(QPointF delta);
    void StepPan(const QTouchEvent& event);
    void MovePan(QPointF position, ulong time);
    void EndPan(QPointF position, ulong time);
    QPointF PanPoint(QPointF position) const;
    Gesture::Pan PanRecord(QPointF position) const;
    void EnterTwoFingers(const TouchPoint& first, const TouchPoint& second);
    void StepTwoFingers(const QTouchEvent& event);
    void RecognizeTwoFingers(const TouchPoint* first, const TouchPoint* second, bool released);
    void DeliverTwoFingerBegin();
    void DeliverTwoFinger(bool end);
    void StepPressAndTap(const QTouchEvent& event);
    bool Moved(QPointF position, QPointF start) const;
    template <class Kind> Kind Record(QPointF position) const;
    template <class Kind> void Deliver(const Kind& record);

    const double slop;
    Phase phase = Phase::Idle;
    Wishes wishes;
    TrackedConsumer target;
    // Window coordinates; windowOrigin is where the window lies on the screen.
    QPointF startPosition;
    QPointF secondStart;
    QPointF windowOrigin;
    ulong startTime = 0;
    // The pan finger's last two samples, for the inertia vector.
    Sample previous;
    Sample last;
    bool horizontalLocked = false;
    bool verticalLocked = false;
    int firstId = -1;
    int secondId = -1;
    double startDistance = 0.0;
    double lastDistance = 0.0;
    double lastRawAngle = 0.0;
    double angle = 0.0;
    QPointF center;
    bool click = false;
};

} // namespace Talvex::App::Gesture
