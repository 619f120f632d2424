#pragma once

#include "App/Application/Gesture/GestureDecoder.h"
#include "App/Application/Gesture/TrackedConsumer_p.h"
#include "Platform/Native/GestureMessages.h"

namespace Talvex::App::Gesture {

// What a producer keeps between messages.
class ProducerState {
public:
    ProducerState();

    // Handed to the system as one array, in this order.
    Native::GESTURECONFIG configs[5];
    Native::GESTURECONFIG* const zoomConfig = &configs[0];
    Native::GESTURECONFIG* const panConfig = &configs[1];
    Native::GESTURECONFIG* const rotateConfig = &configs[2];
    Native::GESTURECONFIG* const tapConfig = &configs[3];
    Native::GESTURECONFIG* const pressAndTapConfig = &configs[4];
    GestureStart start;
    // Chosen when the touch started; cleared if it is destroyed before the touch ends.
    TrackedConsumer target;
};

} // namespace Talvex::App::Gesture
