#pragma once

namespace Talvex::App::Gesture {

class Consumer;

// A pointer to a consumer that turns null when the consumer is destroyed, so that a
// gesture whose receiver went away mid-sequence is dropped instead of delivered to
// freed memory. Every live tracker is listed; a consumer's destructor clears the
// trackers that point at it. GUI thread only, like the consumers themselves.
class TrackedConsumer {
public:
    TrackedConsumer();
    ~TrackedConsumer();
    TrackedConsumer(const TrackedConsumer&) = delete;
    TrackedConsumer& operator=(const TrackedConsumer&) = delete;

    Consumer* get() const { return consumer; }
    void reset(Consumer* next = nullptr) { consumer = next; }

    // Called by every consumer's destructor.
    static void Forget(const Consumer* gone);

private:
    Consumer* consumer = nullptr;
};

} // namespace Talvex::App::Gesture
