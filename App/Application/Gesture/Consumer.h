#pragma once

#include "App/Application/Gesture/Gesture.h"

#include <TalvexExport.h>

namespace Talvex::App::Gesture {

// Receives touch gestures. An object becomes a receiver by implementing this interface
// and being a QObject child of a widget: gestures that start over that widget (and no
// nearer receiver) come here. WantGesture is asked when a touch starts and gets a
// record carrying only the touch point; OnGesture gets every step of a wanted gesture.
// A consumer that is destroyed while its gesture runs is forgotten and not called
// again. GUI thread only.
class TALVEX_EXPORT Consumer {
public:
    virtual ~Consumer();

    virtual void OnGesture(const Gesture::PressAndTap& gesture);
    virtual void OnGesture(const Gesture::Tap& gesture);
    virtual void OnGesture(const Gesture::Rotate& gesture);
    virtual void OnGesture(const Gesture::Zoom& gesture);
    virtual void OnGesture(const Gesture::Pan& gesture);

    // Gesture::All to receive the kind, anything else to have it blocked.
    virtual int WantGesture(const Gesture::PressAndTap& gesture);
    virtual int WantGesture(const Gesture::Tap& gesture);
    virtual int WantGesture(const Gesture::Rotate& gesture);
    virtual int WantGesture(const Gesture::Zoom& gesture);
    // A set of Gesture::All and the pan option bits; 0 blocks pan.
    virtual int WantGesture(const Gesture::Pan& gesture);

protected:
    Consumer() = default;
    Consumer(const Consumer&) = default;
    Consumer& operator=(const Consumer&) = default;
};

} // namespace Talvex::App::Gesture
