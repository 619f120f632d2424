#include "App/Application/NativeEventFilter.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

class CallingHandler : public Talvex::App::EventHandler {
public:
    void OnNativeEvent(const QByteArray&, void*, Talvex::QtCompat::NativeEventResult*) override { call(); }
    std::function<void()> call;
};

class NativeEventDispatch : public ::testing::Test {
protected:
    bool Dispatch() { return filter.nativeEventFilter("xcb_generic_event_t", &message, &result); }
    std::shared_ptr<CallingHandler> Handler(int id)
    {
        auto handler = std::make_shared<CallingHandler>();
        handler->call = [this, id] { calls.push_back(id); };
        return handler;
    }

    Talvex::App::NativeEventFilter filter;
    std::vector<int> calls;
    int message = 0;
    Talvex::QtCompat::NativeEventResult result = 0;
};

} // namespace

// A handler registered twice runs twice; the application suite covers unregistering it.
TEST_F(NativeEventDispatch, RoutedMessageReachesNoHandlerAnotherReachesEachInOrderEvenAsOneLeaves)
{
    bool consume = true;
    filter.SetGestureRoute([&](const QByteArray&, void* routed, Talvex::QtCompat::NativeEventResult*) {
        return routed == &message && consume;
    });
    auto leaving = Handler(1);
    const std::weak_ptr<CallingHandler> watch = leaving;
    leaving->call = [this, watch] {
        calls.push_back(1);
        filter.Unregister(watch.lock());
    };
    auto twice = Handler(2);
    filter.Register(leaving);
    filter.Register(twice);
    filter.Register(Handler(3));
    filter.Register(twice);
    leaving.reset();

    EXPECT_TRUE(Dispatch());
    EXPECT_TRUE(calls.empty());
    consume = false;
    EXPECT_FALSE(Dispatch()) << "handlers never consume";
    EXPECT_FALSE(Dispatch());
    EXPECT_EQ(calls, (std::vector<int>{1, 2, 3, 2, 2, 3, 2}));
    EXPECT_TRUE(watch.expired()) << "the filter held the last reference";
}
