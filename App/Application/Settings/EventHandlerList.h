#pragma once

#include <boost/container/small_vector.hpp>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace Talvex::Core {

// Subscription side of an observer list.
template <class Observer> class EventPublisher {
public:
    virtual void Subscribe(Observer* observer) = 0;
    virtual void Unsubscribe(Observer* observer) = 0;
    virtual ~EventPublisher() = default;
};

// Runs each observer call at once, on the notifying thread.
struct SyncExecutePolicy {
    static void Execute(const std::function<void()>& call) { call(); }
};

// Observers in registration order, without nulls or duplicates, not owned.
//
// A notification pass calls every observer of a snapshot taken at its start, so an
// observer may subscribe or unsubscribe (itself or others) from its callback: a new
// one is first called in the next pass, a removed one is still called in this pass
// if it comes later. Passes from different threads never interleave; a pass started
// from inside a callback runs nested, on the same thread. An exception from an
// observer ends the pass and reaches the notifier, with both locks released.
template <class Observer, class ExecutePolicy = SyncExecutePolicy>
class EventHandlerList : public virtual EventPublisher<Observer> {
public:
    void Subscribe(Observer* observer) override
    {
        if (!observer) {
            return;
        }
        std::lock_guard<std::recursive_mutex> guard(listLock);
        if (std::find(observers.begin(), observers.end(), observer) == observers.end()) {
            observers.push_back(observer);
            observerCount.store(observers.size(), std::memory_order_release);
        }
    }

    void Unsubscribe(Observer* observer) override
    {
        if (!observer) {
            return;
        }
        std::lock_guard<std::recursive_mutex> guard(listLock);
        const auto found = std::find(observers.begin(), observers.end(), observer);
        if (found != observers.end()) {
            observers.erase(found);
            observerCount.store(observers.size(), std::memory_order_release);
        }
    }

    // `call` is invoked as call(Observer*) for every observer of the snapshot.
    template <class Call> void Notify(Call&& call)
    {
        // Nobody to call, so nothing that could interleave: skip both locks. A list many
        // writes go through is usually empty. An observer subscribing on another thread
        // right now may miss this pass, as it may when the snapshot is taken just before.
        if (observerCount.load(std::memory_order_acquire) == 0) {
            return;
        }
        // Lists are short: the snapshot lives on the stack unless a list is unusually long.
        boost::container::small_vector<Observer*, 16> snapshot;
        {
            std::lock_guard<std::recursive_mutex> guard(listLock);
            snapshot.assign(observers.begin(), observers.end());
        }
        std::lock_guard<std::recursive_mutex> pass(notifyLock);
        for (Observer* observer : snapshot) {
            ExecutePolicy::Execute([&call, observer] { call(observer); });
        }
    }

private:
    std::vector<Observer*> observers;
    std::recursive_mutex listLock;
    std::recursive_mutex notifyLock;
    std::atomic<std::size_t> observerCount{0};
};

} // namespace Talvex::Core
