#include "App/Application/Gesture/TrackedConsumer_p.h"

#include <algorithm>
#include <vector>

namespace Talvex::App::Gesture {
namespace {

// A handful at most: one per producer and one per touch bridge. Never freed, so a
// consumer destroyed during static destruction still finds the list.
std::vector<TrackedConsumer*>& LiveTrackers()
{
    static auto* trackers = new std::vector<TrackedConsumer*>;
    return *trackers;
}

} // namespace

TrackedConsumer::TrackedConsumer()
{
    LiveTrackers().push_back(this);
}

TrackedConsumer::~TrackedConsumer()
{
    auto& trackers = LiveTrackers();
    trackers.erase(std::remove(trackers.begin(), trackers.end(), this), trackers.end());
}

void TrackedConsumer::Forget(const Consumer* gone)
{
    for (TrackedConsumer* tracker : LiveTrackers()) {
        if (tracker->consumer == gone) {
            tracker->consumer = nullptr;
        }
    }
}

} // namespace Talvex::App::Gesture
