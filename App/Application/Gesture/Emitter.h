#pragma once

#include "App/Application/Gesture/Consumer.h"

#include <TalvexExport.h>

#include <QObject>

namespace Talvex::App::Gesture {

// A consumer that turns gestures into signals. Create it as a child of the widget
// whose gestures you want, switch on the kinds you want (all are off at first) and
// connect to the signals. A change takes effect when the next touch starts. GUI
// thread only; the signals are emitted from native event processing.
class TALVEX_EXPORT Emitter : public QObject, public Consumer {
    Q_OBJECT
public:
    explicit Emitter(QObject* parent = nullptr);
    ~Emitter() override;

    void setZoomEnabled(bool enabled);
    void setRotateEnabled(bool enabled);
    void setTapEnabled(bool enabled);
    void setPressAndTapEnabled(bool enabled);
    void setHorizontalPanEnabled(bool enabled);
    void setVerticalPanEnabled(bool enabled);
    void setPanGutterEnabled(bool enabled);
    void setPanInertiaEnabled(bool enabled);

signals:
    void pan(const Talvex::App::Gesture::Pan&);
    void zoom(const Talvex::App::Gesture::Zoom&);
    void rotate(const Talvex::App::Gesture::Rotate&);
    void tap(const Talvex::App::Gesture::Tap&);
    void pressAndTap(const Talvex::App::Gesture::PressAndTap&);

private:
    static int allOrNone(bool enabled);

    void OnGesture(const Gesture::PressAndTap& gesture) override;
    void OnGesture(const Gesture::Tap& gesture) override;
    void OnGesture(const Gesture::Rotate& gesture) override;
    void OnGesture(const Gesture::Zoom& gesture) override;
    void OnGesture(const Gesture::Pan& gesture) override;
    int WantGesture(const Gesture::PressAndTap& gesture) override;
    int WantGesture(const Gesture::Tap& gesture) override;
    int WantGesture(const Gesture::Rotate& gesture) override;
    int WantGesture(const Gesture::Zoom& gesture) override;
    // Never contains Gesture::All: only the options switched on.
    int WantGesture(const Gesture::Pan& gesture) override;

    bool zoomEnabled = false;
    bool rotateEnabled = false;
    bool tapEnabled = false;
    bool pressAndTapEnabled = false;
    bool horizontalPanEnabled = false;
    bool verticalPanEnabled = false;
    bool panGutterEnabled = false;
    bool panInertiaEnabled = false;
};

} // namespace Talvex::App::Gesture
