#include "App/Application/NativeEventFilter.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using Talvex::App::EventHandler;
using Talvex::App::NativeEventFilter;

namespace {

class RecordingHandler : public EventHandler {
public:
    RecordingHandler(std::vector<int>& calls, int id) : calls(calls), id(id) {}
    void OnNativeEvent(const QByteArray&, void*, long*) override
    {
        calls.push_back(id);
        if (onCall) {
            onCall();
        }
    }
    std::function<void()> onCall;

private:
    std::vector<int>& calls;
    int id;
};

class NativeEventDispatch : public ::testing::Test {
protected:
    bool Dispatch() { return filter.nativeEventFilter("xcb_generic_event_t", &message, &result); }

    NativeEventFilter filter;
    std::vector<int> calls;
    int message = 0;
    long result = 0;
};

} // namespace

TEST_F(NativeEventDispatch, HandlersRunInRegistrationOrderAndNeverConsume)
{
    filter.Register(std::make_shared<RecordingHandler>(calls, 1));
    filter.Register(std::make_shared<RecordingHandler>(calls, 2));

    EXPECT_FALSE(Dispatch());
    EXPECT_EQ(calls, (std::vector<int>{1, 2}));
}

TEST_F(NativeEventDispatch, HandlerRegisteredTwiceRunsTwiceAndNeedsTwoUnregistrations)
{
    auto twice = std::make_shared<RecordingHandler>(calls, 7);
    filter.Register(twice);
    filter.Register(std::make_shared<RecordingHandler>(calls, 8));
    filter.Register(twice);

    Dispatch();
    EXPECT_EQ(calls, (std::vector<int>{7, 8, 7}));

    calls.clear();
    filter.Unregister(twice);
    Dispatch();
    EXPECT_EQ(calls, (std::vector<int>{8, 7})) << "only the first entry goes";

    calls.clear();
    filter.Unregister(twice);
    filter.Unregister(twice);
    Dispatch();
    EXPECT_EQ(calls, (std::vector<int>{8}));
}

TEST_F(NativeEventDispatch, MessageConsumedByGestureRoutingReachesNoHandler)
{
    filter.Register(std::make_shared<RecordingHandler>(calls, 1));
    void* routedMessage = nullptr;
    bool consume = true;
    filter.SetGestureRoute([&](const QByteArray&, void* message, long*) {
        routedMessage = message;
        return consume;
    });

    EXPECT_TRUE(Dispatch());
    EXPECT_EQ(routedMessage, &message);
    EXPECT_TRUE(calls.empty());

    consume = false;
    EXPECT_FALSE(Dispatch());
    EXPECT_EQ(calls, (std::vector<int>{1}));
}

TEST_F(NativeEventDispatch, HandlerMayUnregisterItselfWhileBeingCalled)
{
    auto self = std::make_shared<RecordingHandler>(calls, 1);
    std::weak_ptr<RecordingHandler> watch = self;
    self->onCall = [this, watch] { filter.Unregister(watch.lock()); };
    filter.Register(self);
    filter.Register(std::make_shared<RecordingHandler>(calls, 2));
    self.reset();

    Dispatch();
    Dispatch();

    EXPECT_EQ(calls, (std::vector<int>{1, 2, 2}));
    EXPECT_TRUE(watch.expired()) << "the filter held the last reference";
}
