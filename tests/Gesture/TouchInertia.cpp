#include "TouchInput.h"

#include "App/Application/Gesture/PanVelocity_p.h"

#include <QElapsedTimer>
#include <QScrollBar>

#include <algorithm>
#include <functional>
#include <random>
#include <set>
#include <utility>

namespace Talvex::Test {
namespace {

using App::Gesture::Gesture;
using App::Gesture::Point;

class TouchInertia : public TouchInput {
protected:
    // The pan steps the list's own scroller receives.
    std::vector<Gesture::Pan>& Watch(QAbstractScrollArea& area)
    {
        auto* scroller = area.findChild<App::Gesture::Scroller*>();
        EXPECT_NE(scroller, nullptr);
        QObject::connect(scroller, &App::Gesture::Emitter::pan,
                         [this](const Gesture::Pan& pan) { seen.push_back(pan); });
        return seen;
    }

    std::unique_ptr<ChildConsumer> ShownConsumer(QWidget& widget, int panWish)
    {
        widget.resize(300, 300);
        auto consumer = std::make_unique<ChildConsumer>(&widget);
        consumer->panWish = panWish;
        widget.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&widget));
        return consumer;
    }

    std::vector<Gesture::Pan> seen;
};

// Records its pan steps and, from inside its first end step, lets a new touch land, as
// a handler that runs a nested event loop would while the user touches again; onLift
// runs from inside the lift's step that starts a glide.
class TouchingConsumer : public ChildConsumer {
public:
    using ChildConsumer::ChildConsumer;
    using RecordingConsumer::OnGesture;

    void OnGesture(const Gesture::Pan& pan) override
    {
        RecordingConsumer::OnGesture(pan);
        if (pan.end && onEnd) {
            std::exchange(onEnd, nullptr)();
        }
        if (pan.inertiaVector != Point{} && !pan.end && !pan.inertia && onLift) {
            std::exchange(onLift, nullptr)();
        }
    }

    std::function<void()> onEnd;
    std::function<void()> onLift;
};

// A shown window whose consumer deletes it on Dismiss and outlives it, to hear anything
// that still follows.
struct DismissibleWindow {
    DismissibleWindow()
    {
        consumer->panWish = Gesture::VerticalPan | Gesture::PanInertia;
        window->resize(300, 300);
        window->show();
    }
    ~DismissibleWindow()
    {
        if (!survivor) {
            delete window;
        }
    }
    void Dismiss()
    {
        consumer->setParent(nullptr);
        survivor.reset(consumer);
        delete window;
    }

    QWidget* window = new QWidget;
    TouchingConsumer* consumer = new TouchingConsumer(window);
    std::unique_ptr<TouchingConsumer> survivor;
};

int BeginSteps(const std::vector<Gesture::Pan>& pans)
{
    return int(std::count_if(pans.begin(), pans.end(), [](const Gesture::Pan& pan) { return pan.begin; }));
}

// The step the finger's lift sent: the last one before the glide.
Gesture::Pan LiftStep(const std::vector<Gesture::Pan>& pans)
{
    const auto glide = std::find_if(pans.begin(), pans.end(), [](const Gesture::Pan& pan) { return pan.inertia; });
    return glide == pans.begin() ? Gesture::Pan{} : *(glide - 1);
}

// 300 pixels in 100 ms is 3 px/ms; the glide adds 3 · 325 less half a pixel of rest.
TEST_F(TouchInertia, FlickGlidesOnMonotonicallyAndRestsWhereTheCurveSaysButASlowDragDoesNot)
{
    const auto list = ShownList(2000, QAbstractItemView::ScrollPerPixel);
    QScrollBar* bar = list->verticalScrollBar();
    std::vector<int> values;
    QObject::connect(bar, &QScrollBar::valueChanged, [&values](int value) { values.push_back(value); });
    const auto& pans = Watch(*list);

    Stroke(*list->viewport(), {100, 190}, {0, -300}, 100);
    EXPECT_EQ(bar->value(), 300) << "the finger's own way";
    EXPECT_EQ(EndSteps(pans), 0);
    EXPECT_EQ(LiftStep(pans).inertiaVector, (Point{0, -300}));
    QElapsedTimer glide;
    glide.start();
    ASSERT_TRUE(WaitUntil([&pans] { return EndSteps(pans) == 1; }, 6000));
    EXPECT_LT(glide.elapsed(), 4000);
    EXPECT_FALSE(Gliding());
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_NEAR(bar->value(), 300 + 3 * 325 - 0.5, 2.0);
    EXPECT_GT(InertiaSteps(pans).size(), 20u) << "frame by frame, not in a jump";
    EXPECT_TRUE(pans.back().inertia);

    bar->setValue(0);
    seen.clear();
    Stroke(*list->viewport(), {100, 190}, {0, -300}, 3000);
    EXPECT_FALSE(Gliding());
    EXPECT_EQ(bar->value(), 300);
    EXPECT_TRUE(InertiaSteps(pans).empty());
    EXPECT_EQ(EndSteps(pans), 1);
}

TEST_F(TouchInertia, TouchDuringAGlideStopsItWithOneEndStepAndWithoutTheWishThereIsNoGlide)
{
    QWidget widget;
    const auto consumer = ShownConsumer(widget, Gesture::VerticalPan | Gesture::PanInertia);
    UseSteppedClock(16);
    Stroke(widget, {100, 250}, {0, -200}, 100);
    ASSERT_TRUE(WaitUntil([&] { return InertiaSteps(consumer->pans).size() >= 3; }));
    EXPECT_EQ(LiftStep(consumer->pans).inertiaVector, (Point{0, -200}));

    Send(widget, QEvent::TouchBegin, clockMs, {{0, Qt::TouchPointPressed, QPointF(250, 40)}});
    EXPECT_FALSE(Gliding());
    EXPECT_EQ(EndSteps(consumer->pans), 1);
    EXPECT_TRUE(consumer->pans.back().end && consumer->pans.back().inertia);
    Send(widget, QEvent::TouchEnd, clockMs + 10, {{0, Qt::TouchPointReleased, QPointF(250, 40)}});

    consumer->pans.clear();
    consumer->panWish = Gesture::VerticalPan;
    Stroke(widget, {100, 250}, {0, -200}, 100);
    EXPECT_FALSE(Gliding());
    EXPECT_TRUE(InertiaSteps(consumer->pans).empty());
    EXPECT_TRUE(consumer->pans.back().end);
    EXPECT_EQ(consumer->pans.back().inertiaVector, (Point{0, 0}));
}

// A glide starts only once the glass is clear, and a finger that lands while it runs
// stops it, even when the window system reports that finger as an update.
TEST_F(TouchInertia, NoGlideWhileAnotherFingerIsHeldAndAFingerJoiningAGlideStopsIt)
{
    QWidget widget;
    const auto consumer = ShownConsumer(widget, Gesture::VerticalPan | Gesture::PanInertia);
    UseSteppedClock(16);
    using P = QPointF;
    Send(widget, QEvent::TouchBegin, 1000, {{0, Qt::TouchPointPressed, P(100, 250)}});
    Send(widget, QEvent::TouchUpdate, 1010, {{0, Qt::TouchPointMoved, P(100, 230)}});
    Send(widget, QEvent::TouchUpdate, 1020,
         {{0, Qt::TouchPointMoved, P(100, 210)}, {1, Qt::TouchPointPressed, P(250, 40)}});
    for (int step = 3; step < 10; ++step) {
        Send(widget, QEvent::TouchUpdate, 1000 + ulong(step) * 10,
             {{0, Qt::TouchPointMoved, P(100, 250 - 20 * step)}, {1, Qt::TouchPointStationary, P(250, 40)}});
    }
    Send(widget, QEvent::TouchUpdate, 1100,
         {{0, Qt::TouchPointReleased, P(100, 50)}, {1, Qt::TouchPointStationary, P(250, 40)}});
    EXPECT_FALSE(Gliding());
    EXPECT_TRUE(InertiaSteps(consumer->pans).empty());
    EXPECT_EQ(EndSteps(consumer->pans), 1);
    Send(widget, QEvent::TouchEnd, 1200, {{1, Qt::TouchPointReleased, P(250, 40)}});
    EXPECT_EQ(EndSteps(consumer->pans), 1);

    consumer->pans.clear();
    Stroke(widget, {100, 250}, {0, -200}, 100);
    ASSERT_TRUE(WaitUntil([&] { return InertiaSteps(consumer->pans).size() >= 2; }));
    Send(widget, QEvent::TouchUpdate, clockMs, {{1, Qt::TouchPointPressed, P(250, 40)}});
    EXPECT_FALSE(Gliding());
    EXPECT_EQ(EndSteps(consumer->pans), 1);
    EXPECT_TRUE(consumer->pans.back().end);
    Send(widget, QEvent::TouchEnd, clockMs + 10, {{1, Qt::TouchPointReleased, P(250, 40)}});
    EXPECT_EQ(EndSteps(consumer->pans), 1);
}

// A tap that only stops a glide activates nothing; the next tap clicks as usual.
TEST_F(TouchInertia, TapThatStopsAGlideSelectsNoRow)
{
    UseSteppedClock(16);
    const auto list = ShownList(2000, QAbstractItemView::ScrollPerPixel);
    const auto& pans = Watch(*list);
    Stroke(*list->viewport(), {100, 190}, {0, -150}, 50);
    ASSERT_TRUE(WaitUntil([&pans] { return InertiaSteps(pans).size() >= 2; }));
    const auto tap = [&] {
        Send(*list->viewport(), QEvent::TouchBegin, clockMs, {{0, Qt::TouchPointPressed, QPointF(100, 100)}});
        Send(*list->viewport(), QEvent::TouchEnd, clockMs + 50, {{0, Qt::TouchPointReleased, QPointF(100, 100)}});
        clockMs += 1000;
    };
    tap();
    EXPECT_FALSE(Gliding());
    EXPECT_EQ(EndSteps(pans), 1);
    EXPECT_TRUE(list->selectionModel()->selectedIndexes().isEmpty());
    tap();
    EXPECT_EQ(list->selectionModel()->selectedIndexes().size(), 1);
}

// Whether the end step comes from a lift without speed or from the glide's rest, a
// touch that lands from inside it is a sequence of its own, and the old pan ends once.
TEST_F(TouchInertia, TouchLandingDuringAnEndStepGetsItsOwnPanAndTheOldPanEndsOnce)
{
    QWidget widget;
    widget.resize(300, 300);
    auto* consumer = new TouchingConsumer(&widget);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    UseSteppedClock(16);
    using P = QPointF;
    for (const int wish : {int(Gesture::VerticalPan), Gesture::VerticalPan | Gesture::PanInertia}) {
        consumer->panWish = wish;
        consumer->pans.clear();
        consumer->onEnd = [&] { Send(widget, QEvent::TouchBegin, clockMs, {{1, Qt::TouchPointPressed, P(200, 250)}}); };
        Stroke(widget, {100, 250}, {0, -200}, 100);
        ASSERT_TRUE(WaitUntil([&] { return !consumer->onEnd; }));
        Send(widget, QEvent::TouchUpdate, clockMs + 100, {{1, Qt::TouchPointMoved, P(200, 150)}});
        Send(widget, QEvent::TouchEnd, clockMs + 2000, {{1, Qt::TouchPointReleased, P(200, 150)}});
        clockMs += 3000;
        EXPECT_FALSE(Gliding());
        EXPECT_EQ(BeginSteps(consumer->pans), 2) << "wish " << wish;
        EXPECT_EQ(EndSteps(consumer->pans), 2) << "wish " << wish;
        EXPECT_TRUE(consumer->pans.back().end);
        EXPECT_EQ(consumer->pans.back().position, (Point{200, 150})) << "wish " << wish;
    }
}

// A per-item list scrolls by pixels for the whole glide and gets its mode back with the
// end step, which also comes when the glide is cut short.
TEST_F(TouchInertia, GlideEndsOnceWhenItsWidgetHidesOrItsWindowLosesFocusAndNeverReachesADestroyedConsumer)
{
    UseSteppedClock(16);
    const auto list = ShownList(2000, QAbstractItemView::ScrollPerItem);
    const auto& pans = Watch(*list);
    std::set<int> modes;
    QObject::connect(list->findChild<App::Gesture::Scroller*>(), &App::Gesture::Emitter::pan,
                     [&](const Gesture::Pan& pan) {
                         if (!pan.end) {
                             modes.insert(list->verticalScrollMode());
                         }
                     });
    const auto flickAndWait = [&] {
        seen.clear();
        modes.clear();
        Stroke(*list->viewport(), {100, 190}, {0, -150}, 50);
        return WaitUntil([&] { return InertiaSteps(pans).size() >= 2; });
    };
    ASSERT_TRUE(flickAndWait());
    list->hide();
    EXPECT_FALSE(Gliding());
    Send(*list->viewport(), QEvent::TouchUpdate, clockMs, {{0, Qt::TouchPointMoved, QPointF(100, 100)}});
    EXPECT_FALSE(Gliding()) << "a stray event before the end step does not revive the glide";
    ASSERT_TRUE(WaitUntil([&] { return EndSteps(pans) == 1; }));
    EXPECT_EQ(modes, (std::set<int>{QAbstractItemView::ScrollPerPixel}));
    EXPECT_EQ(list->verticalScrollMode(), QAbstractItemView::ScrollPerItem);

    list->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    list->activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return QGuiApplication::focusWindow() == list->windowHandle(); }));
    ASSERT_TRUE(flickAndWait());
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return EndSteps(pans) == 1; }));
    EXPECT_FALSE(Gliding());
    EXPECT_EQ(list->verticalScrollMode(), QAbstractItemView::ScrollPerItem);

    QWidget widget;
    auto consumer = ShownConsumer(widget, Gesture::VerticalPan | Gesture::PanInertia);
    Stroke(widget, {100, 250}, {0, -200}, 100);
    ASSERT_TRUE(WaitUntil([&] { return InertiaSteps(consumer->pans).size() >= 2; }));
    consumer.reset();
    EXPECT_TRUE(WaitUntil([this] { return !Gliding(); }));
}

// A swipe that dismisses its window at the lift: the consumer that hears the lift's
// step deletes the window, here keeping itself alive to hear anything that follows.
// Nothing does: no glide, no end step, and the next window's flick glides as usual.
TEST_F(TouchInertia, WindowDeletedByTheLiftThatStartsAGlideGetsNoGlideAndNoRecord)
{
    UseSteppedClock(16);
    DismissibleWindow doomed;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(doomed.window));
    doomed.consumer->onLift = [&] { doomed.Dismiss(); };
    QWidget& target = *doomed.window;
    const auto& survivor = doomed.survivor;
    Send(target, QEvent::TouchBegin, 1000, {{0, Qt::TouchPointPressed, QPointF(100, 250)}});
    for (int step = 1; step < 10; ++step) {
        Send(target, QEvent::TouchUpdate, 1000 + ulong(step) * 10,
             {{0, Qt::TouchPointMoved, QPointF(100, 250 - 20 * step)}});
    }
    Send(target, QEvent::TouchEnd, 1100, {{0, Qt::TouchPointReleased, QPointF(100, 50)}});
    ASSERT_TRUE(survivor) << "the lift started no glide";
    QTest::qWait(100);
    EXPECT_FALSE(Gliding());
    EXPECT_TRUE(InertiaSteps(survivor->pans).empty());
    EXPECT_EQ(EndSteps(survivor->pans), 0);

    QWidget next;
    const auto other = ShownConsumer(next, Gesture::VerticalPan | Gesture::PanInertia);
    Stroke(next, {100, 250}, {0, -200}, 100);
    EXPECT_TRUE(WaitUntil([&] { return EndSteps(other->pans) == 1; }));
    EXPECT_FALSE(InertiaSteps(other->pans).empty());
}

// A window dismissed when its glide ends, the glide being ended by a touch that lands
// on that very window: the touch must not be handed on to the window that is gone.
TEST_F(TouchInertia, WindowDeletedByTheEndOfItsGlideThatATouchOnItCutsShortGetsNothingMore)
{
    UseSteppedClock(16);
    DismissibleWindow doomed;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(doomed.window));
    Stroke(*doomed.window, {100, 250}, {0, -200}, 100);
    ASSERT_TRUE(WaitUntil([&] { return InertiaSteps(doomed.consumer->pans).size() >= 2; }));
    doomed.consumer->onEnd = [&] { doomed.Dismiss(); };
    QWidget& target = *doomed.window;
    const auto& survivor = doomed.survivor;
    Send(target, QEvent::TouchBegin, clockMs, {{1, Qt::TouchPointPressed, QPointF(100, 100)}});
    ASSERT_TRUE(survivor) << "the touch ended the glide";
    EXPECT_FALSE(Gliding());
    EXPECT_EQ(EndSteps(survivor->pans), 1);
}

// A vertical stroke whose finger wobbles 8 pixels either side.
const std::vector<QPointF> JITTER = {{8, 0}, {-8, 0}, {3, 0}, {-5, 0}};

TEST_F(TouchInertia, RailsHoldThroughTheGlideAndOnlyTheGutterMakesThem)
{
    UseSteppedClock(32);
    const auto list = ShownList(500, QAbstractItemView::ScrollPerPixel);
    QStringList wide;
    for (int row = 0; row < 500; ++row) {
        wide << QString(200, QLatin1Char('w'));
    }
    model.setStringList(wide);
    QScrollBar* across = list->horizontalScrollBar();
    ASSERT_TRUE(WaitUntil([across] { return across->maximum() > 100; }));
    across->setValue(50);
    int sideways = 0;
    QObject::connect(across, &QScrollBar::valueChanged, [&sideways] { ++sideways; });
    const auto& pans = Watch(*list);
    Stroke(*list->viewport(), {100, 190}, {0, -150}, 50, JITTER);
    ASSERT_TRUE(WaitUntil([&pans] { return EndSteps(pans) == 1; }));
    EXPECT_FALSE(InertiaSteps(pans).empty());
    EXPECT_GT(list->verticalScrollBar()->value(), 150);
    EXPECT_EQ(sideways, 0);
    EXPECT_EQ(across->value(), 50);

    QWidget widget;
    const auto consumer = ShownConsumer(widget, Gesture::VerticalPan | Gesture::PanInertia);
    Stroke(widget, {50, 250}, {200, -80}, 100);
    ASSERT_TRUE(WaitUntil([this] { return !Gliding(); }));
    ASSERT_FALSE(InertiaSteps(consumer->pans).empty());
    for (const auto& pan : consumer->pans) {
        EXPECT_EQ(pan.position.x, 50) << "only vertical pan was asked for";
    }
    EXPECT_LT(consumer->pans.back().position.y, 170);

    consumer->pans.clear();
    consumer->panWish = Gesture::VerticalPan | Gesture::HorizontalPan | Gesture::PanInertia;
    Stroke(widget, {100, 250}, {0, -150}, 50, JITTER);
    ASSERT_TRUE(WaitUntil([this] { return !Gliding(); }));
    std::set<int> columns;
    for (const auto& pan : consumer->pans) {
        columns.insert(pan.position.x);
    }
    EXPECT_GT(columns.size(), 2u) << "without the gutter the wobble is panned too";
}

// With the gutter, the rail is chosen among the axes the consumer wants: a diagonal
// start still pans a vertical-only consumer vertically, and a start at 45 degrees pans
// a horizontal-only one horizontally, each with its glide.
TEST_F(TouchInertia, GutterOfASingleAxisConsumerPansThatAxisWhicheverWayTheFingerStarts)
{
    UseSteppedClock(16);
    QWidget widget;
    const auto consumer = ShownConsumer(widget, Gesture::VerticalPan | Gesture::PanGutter | Gesture::PanInertia);
    Stroke(widget, {50, 250}, {140, -100}, 100);
    ASSERT_TRUE(WaitUntil([this] { return !Gliding(); }));
    EXPECT_EQ(LiftStep(consumer->pans).position, (Point{50, 150}));
    ASSERT_FALSE(InertiaSteps(consumer->pans).empty());
    EXPECT_LT(consumer->pans.back().position.y, 140);
    for (const auto& pan : consumer->pans) {
        EXPECT_EQ(pan.position.x, 50);
    }

    consumer->pans.clear();
    consumer->panWish = Gesture::HorizontalPan | Gesture::PanGutter | Gesture::PanInertia;
    Stroke(widget, {50, 250}, {100, -100}, 100);
    ASSERT_TRUE(WaitUntil([this] { return !Gliding(); }));
    EXPECT_EQ(LiftStep(consumer->pans).position, (Point{150, 250}));
    ASSERT_FALSE(InertiaSteps(consumer->pans).empty());
    EXPECT_GT(consumer->pans.back().position.x, 160);
    for (const auto& pan : consumer->pans) {
        EXPECT_EQ(pan.position.y, 250);
    }
}

QtMessageHandler forwarded = nullptr;

// What the bridge leaves to Qt of such garbage makes Qt's own gesture recognizers
// complain once per event; nothing else is held back.
void QuietGestureManager(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!message.startsWith(QLatin1String("QGestureManager::deliverEvent"))) {
        forwarded(type, context, message);
    }
}

// Random fingers, some off the window, some at one moment, begins without ends and
// ends without begins: no crash, every pan ends, and no glide is left behind.
TEST_F(TouchInertia, FloodOfRandomTouchEventsEndsEveryPanAndLeavesNoGlideRunning)
{
    UseSteppedClock(64);
    const auto list = ShownList(300, QAbstractItemView::ScrollPerItem);
    std::mt19937 random(24);
    const auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const QEvent::Type types[] = {QEvent::TouchBegin,  QEvent::TouchUpdate, QEvent::TouchUpdate,
                                  QEvent::TouchUpdate, QEvent::TouchEnd,    QEvent::TouchCancel};
    const Qt::TouchPointState states[] = {Qt::TouchPointPressed, Qt::TouchPointMoved, Qt::TouchPointStationary,
                                          Qt::TouchPointReleased};
    ulong time = 0;
    forwarded = qInstallMessageHandler(&QuietGestureManager);
    for (int event = 0; event < 10000; ++event) {
        std::vector<Finger> fingers;
        for (int finger = pick(0, 3); finger > 0; --finger) {
            fingers.emplace_back(pick(0, 3), states[pick(0, 3)], QPointF(pick(-100, 300), pick(-100, 300)));
        }
        time += ulong(pick(0, 2) * 8);
        Send(*list->viewport(), types[pick(0, 5)], time, fingers);
        if (event % 50 == 0) {
            QCoreApplication::processEvents();
        }
    }
    qInstallMessageHandler(forwarded);
    Send(*list->viewport(), QEvent::TouchCancel, time, {});
    EXPECT_TRUE(WaitUntil([this] { return !Gliding(); }, 10000));
    EXPECT_EQ(list->verticalScrollMode(), QAbstractItemView::ScrollPerItem) << "every pan got its end step";
}

TEST(LiftVelocity, OneStrayEventARestingFingerAndEqualTimestampsDoNotFoolIt)
{
    App::Gesture::PanVelocity track;
    track.Reset({0, 0}, 1000);
    for (int t = 10; t <= 100; t += 10) {
        track.Add({0, -3.0 * t + (t == 90 ? 40 : 0)}, ulong(1000 + t));
    }
    EXPECT_NEAR(track.At(1100).y(), -3.0, 0.05);

    track.Add({0, -300}, 1600);
    EXPECT_EQ(track.At(1600), QPointF()) << "rested 500 ms before lifting";

    track.Reset({0, 0}, 2000);
    track.Add({0, -50}, 2000);
    track.Add({0, -100}, 1990);
    EXPECT_EQ(track.At(2000), QPointF());

    track.Add({0, -200}, 2001);
    EXPECT_NEAR(track.At(2001).y(), -App::Gesture::PanVelocity::MAX_SPEED, 1e-9);
}

} // namespace
} // namespace Talvex::Test
