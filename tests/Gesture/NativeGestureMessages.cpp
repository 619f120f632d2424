#include "FakeWindowSystem.h"

#include "App/Application/Gesture/GestureDecoder.h"
#include "App/Application/Gesture/Producer.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace Talvex::Test {
namespace {

using App::Gesture::Gesture;
using App::Gesture::GestureStart;
namespace Id = Native::GestureId;

class FixedProducer : public App::Gesture::Producer {
public:
    using Producer::OnGesture;
    using Producer::OnGestureNotify;
    App::Gesture::Consumer* Route(const Gesture& point) override
    {
        routed.push_back(point);
        return consumer;
    }
    App::Gesture::Consumer* consumer = nullptr;
    std::vector<Gesture> routed;
};

Native::GESTUREINFO Step(std::uint32_t id, std::uint32_t flags, std::uint64_t arguments, std::int16_t x = 1100,
                         std::int16_t y = 600)
{
    Native::GESTUREINFO info{};
    info.dwID = id;
    info.dwFlags = flags;
    info.ullArguments = arguments;
    info.ptsLocation = {x, y};
    return info;
}

class NativeGestures : public ::testing::Test {
protected:
    bool Notify(std::int16_t x = 1100, std::int16_t y = 600)
    {
        Native::GESTURENOTIFYSTRUCT notification{};
        notification.ptsLocation = {x, y};
        return producer.OnGestureNotify(&FakeWindowSystem::window, nullptr, &notification);
    }
    bool Deliver(Native::GESTUREINFO& info) { return producer.OnGesture(&FakeWindowSystem::window, nullptr, &info); }
    const Native::GESTURECONFIG& Entry(int index) const { return system.configs.back().at(index); }

    FakeWindowSystem system;
    RecordingConsumer consumer;
    FixedProducer producer;
};

class PanOptions : public NativeGestures, public ::testing::WithParamInterface<std::tuple<int, int, int>> {};

TEST_P(PanOptions, WishBecomesWantAndBlockBits)
{
    const auto [wish, want, block] = GetParam();
    consumer.panWish = wish;
    producer.consumer = &consumer;
    EXPECT_FALSE(Notify());
    ASSERT_EQ(system.configs.size(), 1u);
    ASSERT_EQ(system.configs.back().size(), 5u);
    EXPECT_EQ(Entry(1).dwID, Id::PAN);
    EXPECT_EQ(Entry(1).dwWant, std::uint32_t(want));
    EXPECT_EQ(Entry(1).dwBlock, std::uint32_t(block));
}

// Inertia is the library's 8 but the system's 0x10; gutter the reverse.
INSTANTIATE_TEST_SUITE_P(NativeGestures, PanOptions,
                         ::testing::Values(std::make_tuple(0, 0x0, 0x1F), std::make_tuple(1, 0x1F, 0x0),
                                           std::make_tuple(2, 0x3, 0x1C), std::make_tuple(8, 0x11, 0xE),
                                           std::make_tuple(16, 0x9, 0x16), std::make_tuple(30, 0x1F, 0x0)));

TEST_F(NativeGestures, OnlyExactlyAllWantsTheOtherKindsAndTheConsumerSeesTheTouchPoint)
{
    producer.consumer = &consumer;
    for (const int wish : {2, 1}) {
        consumer.otherWish = wish;
        Notify(1100, 600);
        const std::uint32_t want = wish == 1 ? 1 : 0;
        for (const auto& [index, id] :
             {std::pair{0, Id::ZOOM}, {2, Id::ROTATE}, {3, Id::TWO_FINGER_TAP}, {4, Id::PRESS_AND_TAP}}) {
            EXPECT_EQ(Entry(index).dwID, id);
            EXPECT_EQ(Entry(index).dwWant, want) << "wish " << wish << ", entry " << index;
            EXPECT_EQ(Entry(index).dwBlock, 1 - want) << "wish " << wish << ", entry " << index;
        }
    }
    const Gesture& point = producer.routed.back();
    EXPECT_EQ(point.screenPosition, (App::Gesture::Point{1100, 600}));
    EXPECT_EQ(point.position, (App::Gesture::Point{100, 100}));
}

TEST_F(NativeGestures, NothingIsHandledWithoutAConsumerAndItsHandleStaysOpen)
{
    auto step = Step(Id::PAN, 0, 0);
    EXPECT_FALSE(Deliver(step)) << "before any notification";
    EXPECT_FALSE(Notify());
    ASSERT_EQ(system.configs.size(), 1u);
    ASSERT_EQ(system.configs[0].size(), 1u) << "one entry blocks every gesture";
    EXPECT_EQ(system.configs[0][0].dwID, 0u);
    EXPECT_EQ(system.configs[0][0].dwWant, 0u);
    EXPECT_EQ(system.configs[0][0].dwBlock, 1u);
    EXPECT_FALSE(Deliver(step));
    EXPECT_TRUE(system.closed.empty());
    EXPECT_TRUE(consumer.pans.empty());
}

TEST_F(NativeGestures, OnlyDeliveredStepsAreHandledAndClosedAndADestroyedConsumerIsForgotten)
{
    auto doomed = std::make_unique<RecordingConsumer>();
    producer.consumer = doomed.get();
    Notify();
    doomed.reset();
    auto step = Step(Id::PAN, 0, 0);
    EXPECT_FALSE(Deliver(step)) << "its gesture was still running";

    producer.consumer = &consumer;
    Notify();
    auto pan = Step(Id::PAN, Native::GestureFlag::BEGIN, 0);
    auto interactionBegin = Step(Id::BEGIN, Native::GestureFlag::BEGIN, 0);
    auto unknown = Step(99, 0, 0);
    EXPECT_TRUE(Deliver(pan));
    EXPECT_FALSE(Deliver(interactionBegin));
    EXPECT_FALSE(Deliver(unknown));
    system.infoFails = true;
    EXPECT_FALSE(Deliver(pan));
    EXPECT_EQ(system.closed, (std::vector<const void*>{&pan}));
    ASSERT_EQ(consumer.pans.size(), 1u);
    EXPECT_EQ(consumer.pans[0].position, (App::Gesture::Point{100, 100}));
    EXPECT_TRUE(consumer.pans[0].begin);
}

TEST(GestureDecoding, PanArgumentCarriesDistanceAndSignedInertiaVector)
{
    GestureStart start;
    const std::uint64_t argument = 100u | (std::uint64_t(3) << 32) | (std::uint64_t(0xFFFE) << 48);
    const auto decoded = App::Gesture::DecodeGesture(
        Step(Id::PAN, Native::GestureFlag::INERTIA | Native::GestureFlag::END, argument, -5, 7), {1, 2}, start);
    const auto& pan = std::get<Gesture::Pan>(decoded);
    EXPECT_EQ(pan.distance, 100u);
    EXPECT_EQ(pan.inertiaVector, (App::Gesture::Point{3, -2}));
    EXPECT_TRUE(pan.inertia);
    EXPECT_TRUE(pan.end);
    EXPECT_FALSE(pan.begin);
    EXPECT_EQ(pan.screenPosition, (App::Gesture::Point{-5, 7})) << "location is sign-extended";
    EXPECT_EQ(pan.position, (App::Gesture::Point{1, 2}));
}

TEST(GestureDecoding, RotateAngleFollowsTheSystemFormula)
{
    EXPECT_DOUBLE_EQ(App::Gesture::RotateAngleFromArgument(0), -6.2831853);
    EXPECT_NEAR(App::Gesture::RotateAngleFromArgument(32767), -0.0000959, 1e-7);
    EXPECT_NEAR(App::Gesture::RotateAngleFromArgument(32768), 0.0000959, 1e-7);
    EXPECT_NEAR(App::Gesture::RotateAngleFromArgument(65535), 6.2831853, 1e-9);
}

TEST(GestureDecoding, PressAndTapAddsTheSignedOffsetOfTheTappingFinger)
{
    GestureStart start;
    const std::uint64_t argument = std::uint16_t(-10) | (std::uint64_t(20) << 16);
    const auto decoded = App::Gesture::DecodeGesture(Step(Id::PRESS_AND_TAP, 0, argument), {100, 50}, start);
    EXPECT_EQ(std::get<Gesture::PressAndTap>(decoded).tapPosition, (App::Gesture::Point{90, 70}));
}

// Start values belong to the decoder's owner, change on begin steps only and carry
// over into a later sequence that has none.
TEST(GestureDecoding, StartValuesComeFromBeginStepsOnly)
{
    GestureStart start;
    const auto zoom = [&](std::uint32_t flags, std::uint64_t distance) {
        return std::get<Gesture::Zoom>(App::Gesture::DecodeGesture(Step(Id::ZOOM, flags, distance), {}, start));
    };
    EXPECT_EQ(zoom(0, 150).startDistance, 0.0);
    EXPECT_EQ(zoom(Native::GestureFlag::BEGIN, 200).startDistance, 200.0);
    const auto later = zoom(0, 260);
    EXPECT_EQ(later.startDistance, 200.0);
    EXPECT_EQ(later.distance, 260.0);

    App::Gesture::DecodeGesture(Step(Id::PAN, Native::GestureFlag::BEGIN, 0), {7, 8}, start);
    const auto pan = App::Gesture::DecodeGesture(Step(Id::PAN, 0, 0), {30, 40}, start);
    EXPECT_EQ(std::get<Gesture::Pan>(pan).startPosition, (App::Gesture::Point{7, 8}));

    App::Gesture::DecodeGesture(Step(Id::ROTATE, Native::GestureFlag::BEGIN, 65535), {}, start);
    const auto rotate = std::get<Gesture::Rotate>(App::Gesture::DecodeGesture(Step(Id::ROTATE, 0, 0), {}, start));
    EXPECT_NEAR(rotate.startAngle, 6.2831853, 1e-9);
    EXPECT_DOUBLE_EQ(rotate.angle, -6.2831853);
}

} // namespace
} // namespace Talvex::Test
