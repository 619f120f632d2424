#include "TouchInput.h"

#include <QScrollBar>

namespace Talvex::Test {
namespace {

using App::Gesture::Gesture;

// Counts the mouse presses a widget receives.
class MouseWatch : public QObject {
public:
    int presses = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        presses += event->type() == QEvent::MouseButtonPress;
        return false;
    }
};

// Drags one finger from `from` by `by` in steps of 10 pixels, as fast as QTest sends.
void Drag(QWidget* widget, QtCompat::TouchDevice* device, QPoint from, QPoint by)
{
    QTest::touchEvent(widget, device).press(0, from, widget);
    const int steps = std::max(std::abs(by.x()), std::abs(by.y())) / 10;
    for (int step = 1; step <= steps; ++step) {
        QTest::touchEvent(widget, device).move(0, from + by * step / steps, widget);
    }
    QTest::touchEvent(widget, device).release(0, from + by, widget);
}

using TouchGestures = TouchInput;

TEST_F(TouchGestures, OneFingerDragScrollsAListByItsLengthAndATapClicksARow)
{
    const auto list = ShownList(100, QAbstractItemView::ScrollPerPixel);
    MouseWatch watch;
    list->viewport()->installEventFilter(&watch);
    list->verticalScrollBar()->setValue(200);
    Stroke(*list->viewport(), {100, 150}, {0, -100}, 1000);
    EXPECT_EQ(list->verticalScrollBar()->value(), 300);
    Stroke(*list->viewport(), {100, 50}, {0, 40}, 1000);
    EXPECT_EQ(list->verticalScrollBar()->value(), 260);
    EXPECT_EQ(watch.presses, 0) << "taken touches are not turned into mouse drags";
    EXPECT_EQ(list->verticalScrollMode(), QAbstractItemView::ScrollPerPixel);

    const QPoint row = list->visualRect(model.index(15)).center();
    QTest::touchEvent(list->viewport(), device).press(0, row, list->viewport());
    QTest::touchEvent(list->viewport(), device).release(0, row, list->viewport());
    EXPECT_EQ(watch.presses, 1) << "a touch that is no gesture is a click";
    EXPECT_EQ(list->currentIndex().row(), 15);
}

TEST_F(TouchGestures, PerItemListDraggedToItsEndStaysAtTheLastRowInItsOwnMode)
{
    const auto list = ShownList(40, QAbstractItemView::ScrollPerItem);
    for (int drag = 0; drag < 5; ++drag) {
        Stroke(*list->viewport(), {100, 190}, {0, -180}, 2000);
    }
    EXPECT_EQ(list->verticalScrollMode(), QAbstractItemView::ScrollPerItem);
    EXPECT_EQ(list->verticalScrollBar()->value(), list->verticalScrollBar()->maximum());
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualRect(model.index(39)))) << "the last row is whole";
}

TEST_F(TouchGestures, ConsumerThatWantsNothingLeavesTheTouchToQt)
{
    QWidget widget;
    widget.resize(200, 200);
    auto* emitter = new App::Gesture::Emitter(&widget);
    int pans = 0;
    QObject::connect(emitter, &App::Gesture::Emitter::pan, [&pans] { ++pans; });
    MouseWatch watch;
    widget.installEventFilter(&watch);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    Drag(&widget, device, {100, 150}, {0, -100});
    EXPECT_EQ(pans, 0);
    EXPECT_EQ(watch.presses, 1);
}

// Fingers landing together make zoom, rotate or a two-finger tap; a second finger
// that lands later while the first is held makes a press-and-tap.
TEST_F(TouchGestures, TwoFingerSequencesBecomeZoomRotateTapAndPressAndTap)
{
    QWidget widget;
    widget.resize(300, 300);
    auto* consumer = new ChildConsumer(&widget);
    consumer->otherWish = Gesture::All;
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    using P = QPointF;
    const auto twoFingers = [&](P firstEnd, P secondEnd) {
        Send(widget, QEvent::TouchBegin, 1000,
             {{0, Qt::TouchPointPressed, P(100, 150)}, {1, Qt::TouchPointPressed, P(200, 150)}});
        Send(widget, QEvent::TouchUpdate, 1020,
             {{0, Qt::TouchPointMoved, firstEnd}, {1, Qt::TouchPointMoved, secondEnd}});
        Send(widget, QEvent::TouchEnd, 1040,
             {{0, Qt::TouchPointReleased, firstEnd}, {1, Qt::TouchPointReleased, secondEnd}});
    };
    twoFingers(P(50, 150), P(250, 150));
    ASSERT_EQ(consumer->zooms.size(), 3u);
    EXPECT_TRUE(consumer->zooms[0].begin);
    EXPECT_EQ(consumer->zooms[1].startDistance, 100.0);
    EXPECT_EQ(consumer->zooms[1].distance, 200.0);
    EXPECT_TRUE(consumer->zooms[2].end);
    EXPECT_EQ(consumer->zooms[2].position, (App::Gesture::Point{150, 150}));

    twoFingers(P(150, 100), P(150, 200));
    ASSERT_EQ(consumer->rotates.size(), 3u);
    EXPECT_NEAR(consumer->rotates[1].angle, -3.14159265 / 2, 1e-6) << "clockwise on screen is negative";

    twoFingers(P(100, 150), P(200, 150));
    ASSERT_EQ(consumer->taps.size(), 1u);
    EXPECT_EQ(consumer->taps[0].distance, 100u);

    Send(widget, QEvent::TouchBegin, 2000, {{0, Qt::TouchPointPressed, P(100, 50)}});
    Send(widget, QEvent::TouchUpdate, 2600,
         {{0, Qt::TouchPointStationary, P(100, 50)}, {1, Qt::TouchPointPressed, P(90, 70)}});
    Send(widget, QEvent::TouchUpdate, 2700,
         {{0, Qt::TouchPointStationary, P(100, 50)}, {1, Qt::TouchPointReleased, P(90, 70)}});
    Send(widget, QEvent::TouchEnd, 2900, {{0, Qt::TouchPointReleased, P(100, 50)}});
    ASSERT_EQ(consumer->pressAndTaps.size(), 1u);
    EXPECT_EQ(consumer->pressAndTaps[0].position, (App::Gesture::Point{100, 50}));
    EXPECT_EQ(consumer->pressAndTaps[0].tapPosition, (App::Gesture::Point{90, 70}));
    EXPECT_TRUE(consumer->pans.empty());
}

TEST_F(TouchGestures, SlowLiftEndsThePanWithItsInertiaVectorAndADestroyedConsumerIsLeftAlone)
{
    QWidget widget;
    widget.resize(300, 300);
    auto* consumer = new ChildConsumer(&widget);
    consumer->panWish = Gesture::VerticalPan | Gesture::PanInertia | Gesture::PanGutter;
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    Send(widget, QEvent::TouchBegin, 0, {{0, Qt::TouchPointPressed, QPointF(100, 200)}});
    Send(widget, QEvent::TouchUpdate, 1000, {{0, Qt::TouchPointMoved, QPointF(105, 150)}});
    Send(widget, QEvent::TouchEnd, 2000, {{0, Qt::TouchPointReleased, QPointF(108, 120)}});
    ASSERT_EQ(consumer->pans.size(), 4u);
    EXPECT_TRUE(consumer->pans[0].begin);
    EXPECT_EQ(consumer->pans[2].position, (App::Gesture::Point{100, 120})) << "horizontal pan was not asked for";
    EXPECT_TRUE(consumer->pans[3].end);
    EXPECT_EQ(consumer->pans[3].inertiaVector, (App::Gesture::Point{0, -3})) << "30 pixels in the last second";
    EXPECT_EQ(consumer->pans[3].startPosition, (App::Gesture::Point{100, 200}));
    EXPECT_FALSE(Gliding());

    Send(widget, QEvent::TouchBegin, 200, {{0, Qt::TouchPointPressed, QPointF(100, 200)}});
    Send(widget, QEvent::TouchUpdate, 250, {{0, Qt::TouchPointMoved, QPointF(100, 150)}});
    delete consumer;
    Send(widget, QEvent::TouchUpdate, 260, {{0, Qt::TouchPointMoved, QPointF(100, 140)}});
    Send(widget, QEvent::TouchEnd, 270, {{0, Qt::TouchPointReleased, QPointF(100, 140)}});
}

// Two fingers keeping their distance and angle pan, even for a consumer that also
// wants zoom and rotate; fingers that spread still zoom.
TEST_F(TouchGestures, TwoFingersMovingTogetherPanAndSpreadingFingersStillZoom)
{
    using P = QPointF;
    const auto together = [this](QWidget& widget, ulong start) {
        Send(widget, QEvent::TouchBegin, start,
             {{0, Qt::TouchPointPressed, P(80, 150)}, {1, Qt::TouchPointPressed, P(120, 150)}});
        for (int step = 1; step <= 10; ++step) {
            Send(widget, QEvent::TouchUpdate, start + ulong(step) * 20,
                 {{0, Qt::TouchPointMoved, P(80, 150 - 10 * step)}, {1, Qt::TouchPointMoved, P(120, 150 - 10 * step)}});
        }
        Send(widget, QEvent::TouchEnd, start + 220,
             {{0, Qt::TouchPointReleased, P(80, 50)}, {1, Qt::TouchPointReleased, P(120, 50)}});
    };
    const auto list = ShownList(100, QAbstractItemView::ScrollPerPixel);
    together(*list->viewport(), 0);
    EXPECT_EQ(list->verticalScrollBar()->value(), 100);
    EXPECT_FALSE(Gliding());

    QWidget widget;
    widget.resize(300, 300);
    auto* consumer = new ChildConsumer(&widget);
    consumer->panWish = Gesture::VerticalPan | Gesture::HorizontalPan | Gesture::PanInertia;
    consumer->otherWish = Gesture::All;
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    together(widget, 1000);
    ASSERT_GE(consumer->pans.size(), 3u);
    EXPECT_TRUE(consumer->zooms.empty());
    EXPECT_TRUE(consumer->rotates.empty());
    EXPECT_EQ(consumer->pans.front().position, (App::Gesture::Point{100, 150})) << "the fingers' centre";
    EXPECT_EQ(consumer->pans[1].distance, 40u);
    EXPECT_EQ(consumer->pans.back().position, (App::Gesture::Point{100, 50}));
    EXPECT_EQ(EndSteps(consumer->pans), 1);

    consumer->pans.clear();
    Send(widget, QEvent::TouchBegin, 2000,
         {{0, Qt::TouchPointPressed, P(80, 150)}, {1, Qt::TouchPointPressed, P(120, 150)}});
    Send(widget, QEvent::TouchUpdate, 2020,
         {{0, Qt::TouchPointMoved, P(40, 150)}, {1, Qt::TouchPointMoved, P(160, 150)}});
    Send(widget, QEvent::TouchEnd, 2040,
         {{0, Qt::TouchPointReleased, P(40, 150)}, {1, Qt::TouchPointReleased, P(160, 150)}});
    EXPECT_EQ(consumer->zooms.size(), 3u);
    EXPECT_TRUE(consumer->pans.empty());
}

} // namespace
} // namespace Talvex::Test
