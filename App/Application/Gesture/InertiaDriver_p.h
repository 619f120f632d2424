#pragma once

#include "App/Application/Gesture/TouchBridge.h"

#include <QObject>
#include <QPointer>

class QTimer;
class QWidget;
class QWindow;

namespace Talvex::App::Gesture {

class TouchSequence;

// Runs a coasting sequence's glide at the display's frame rate, from a timer rather
// than a loop, so the event loop stays free between frames. The glide stops with its
// end step when a new touch starts (the bridge calls Stop), and its frames stop at once
// when the consumer's widget is hidden or its window loses the focus, the end step
// then following from the event loop. GUI thread only.
class InertiaDriver : public QObject {
public:
    // One frame at 60 Hz.
    static constexpr int FRAME_MS = 16;

    InertiaDriver(TouchSequence& sequence, QObject* parent);
    ~InertiaDriver() override;

    void SetClock(TouchBridge::Clock next);
    // Starts the frames if the sequence has begun a glide not followed before. The
    // window is passed guarded: it was taken before the consumer's code could run.
    void Follow(const QPointer<QObject>& window);
    void Stop();
    bool Running() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Frame();
    void StopSoon();
    void Disarm();
    void FocusMoved(QWindow* focus);

    TouchSequence& sequence;
    TouchBridge::Clock clock;
    QTimer* const timer;
    TouchBridge::Clock::result_type start;
    // The sequence's number of the glide last followed: a glide whose frames were
    // stopped is not taken up again, and a late stop cannot end a newer glide.
    unsigned followed = 0;
    QPointer<QObject> window;
    QPointer<QWidget> widget;
};

} // namespace Talvex::App::Gesture
