#pragma once

#include "App/Application/Gesture/Gesture.h"

#include <TalvexExport.h>

#include <memory>

namespace Talvex::App::Gesture {

class Consumer;
class ProducerState;

// Turns the two window-system gesture messages into gesture records. When a touch
// starts it asks Route for the consumer under the touch point, asks that consumer which
// gestures it wants and configures the window accordingly; every later step goes to
// that same consumer until the next touch starts. Owns its state exclusively, so it
// cannot be copied. Never throws and logs nothing. GUI thread only.
class TALVEX_EXPORT Producer {
public:
    Producer();
    virtual ~Producer();
    Producer(const Producer&) = delete;
    Producer& operator=(const Producer&) = delete;

    // The consumer for a touch starting at gesture.screenPosition, or null; the record
    // carries only the touch point. The base producer has none.
    virtual Consumer* Route(const Gesture& gesture);

protected:
    // A touch is about to start; lParam points to the system's notification. Always
    // false: the message goes on to default processing.
    bool OnGestureNotify(void* window, void* wParam, void* lParam);
    // One gesture step; lParam is the system's gesture handle. True when delivered (the
    // handle is then closed); false leaves the handle to default processing.
    bool OnGesture(void* window, void* wParam, void* lParam);

private:
    void Init();
    void Fini();

    std::unique_ptr<ProducerState> state;
};

} // namespace Talvex::App::Gesture
