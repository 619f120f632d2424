#include "GestureApplicationFixture.h"

#include "App/Application/EventHandler.h"
#include "App/Application/Gesture/Router.h"

#include <QAbstractEventDispatcher>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace Talvex::Test {
namespace {

using App::Gesture::Gesture;

App::Gesture::Consumer* RouteAt(QWidget* widget)
{
    const QPoint global = widget->mapToGlobal(widget->rect().center());
    Gesture point;
    point.screenPosition = {global.x(), global.y()};
    return App::Gesture::Router().Route(point);
}

class CountingHandler : public App::EventHandler {
public:
    void OnNativeEvent(const QByteArray&, void*, QtCompat::NativeEventResult*) override { ++calls; }
    int calls = 0;
};

bool Dispatch(const QByteArray& type, std::uint32_t number, void* lParam, void* window = &FakeWindowSystem::window)
{
    Native::MSG message{};
    message.hwnd = window;
    message.message = number;
    message.lParam = reinterpret_cast<Native::LPARAM>(lParam);
    QtCompat::NativeEventResult result = 0;
    return QAbstractEventDispatcher::instance()->filterNativeEvent(type, &message, &result);
}

using GestureRouting = GestureApplication;

TEST_F(GestureRouting, NearestAncestorWithAConsumerChildWinsWhateverItWants)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* outer = new QWidget;
    auto* inner = new QWidget(outer);
    auto* twoConsumers = new QWidget;
    auto* plain = new QWidget;
    inner->setMinimumSize(50, 50);
    for (QWidget* widget : {outer, twoConsumers, plain}) {
        widget->setMinimumSize(60, 60);
        layout->addWidget(widget);
    }
    auto* outerConsumer = new ChildConsumer(&window);
    auto* wantsNothing = new App::Gesture::Emitter(outer);
    auto* first = new ChildConsumer(twoConsumers);
    new ChildConsumer(twoConsumers);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    EXPECT_EQ(RouteAt(inner), wantsNothing) << "the inner consumer captures the touch";
    EXPECT_EQ(RouteAt(twoConsumers), first) << "the first created of two";
    EXPECT_EQ(RouteAt(plain), outerConsumer) << "found among the window's children";
    delete outerConsumer;
    EXPECT_EQ(RouteAt(plain), nullptr);
}

TEST_F(GestureRouting, ScrollAreaShownTwiceHasOneScrollerFoundFromItsViewport)
{
    const auto list = ShownList(50, QAbstractItemView::ScrollPerPixel);
    list->hide();
    list->show();
    EXPECT_EQ(ScrollerCount(*list), 1);
    EXPECT_EQ(RouteAt(list->viewport()),
              static_cast<App::Gesture::Consumer*>(list->findChild<App::Gesture::Scroller*>()));
}

// Screen points of the steps sit ORIGIN away from the client points the scroller gets.
TEST_F(GestureRouting, NativePanScrollsWithTheFingerAndConsumedMessagesReachNoHandler)
{
    FakeWindowSystem system;
    QScrollArea area;
    auto* content = new QWidget;
    content->resize(2000, 2000);
    area.setWidget(content);
    area.resize(300, 300);
    area.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
    auto handler = std::make_shared<CountingHandler>();
    app->RegisterEventHandler(handler);
    area.horizontalScrollBar()->setValue(500);
    area.verticalScrollBar()->setValue(500);

    const QPoint touch = area.viewport()->mapToGlobal(area.viewport()->rect().center());
    Native::GESTURENOTIFYSTRUCT notification{};
    notification.ptsLocation = {std::int16_t(touch.x()), std::int16_t(touch.y())};
    EXPECT_FALSE(Dispatch("windows_generic_MSG", Native::GestureMessage::GESTURE_NOTIFY, &notification));
    EXPECT_EQ(handler->calls, 1);
    ASSERT_EQ(system.configs.back()[1].dwWant, 0x1Fu) << "a scroller wants every pan option";

    const auto pan = [&](std::int16_t x, std::int16_t y, std::uint32_t flags) {
        Native::GESTUREINFO info{};
        info.dwID = Native::GestureId::PAN;
        info.dwFlags = flags;
        info.ptsLocation = {std::int16_t(x + FakeWindowSystem::ORIGIN_X), std::int16_t(y + FakeWindowSystem::ORIGIN_Y)};
        EXPECT_TRUE(Dispatch("windows_generic_MSG", Native::GestureMessage::GESTURE, &info));
        return QPoint(area.horizontalScrollBar()->value(), area.verticalScrollBar()->value());
    };
    EXPECT_EQ(pan(100, 100, Native::GestureFlag::BEGIN), QPoint(500, 500));
    EXPECT_EQ(pan(90, 80, 0), QPoint(510, 520));
    EXPECT_EQ(pan(70, 60, 0), QPoint(530, 540));
    EXPECT_EQ(pan(70, 60, Native::GestureFlag::END), QPoint(530, 540));
    EXPECT_EQ(handler->calls, 1) << "consumed gesture steps reach no handler";

    // A child window's step is answered by the default procedure, which hands it up.
    Native::GESTUREINFO childStep{};
    childStep.dwID = Native::GestureId::PAN;
    EXPECT_TRUE(
        Dispatch("windows_generic_MSG", Native::GestureMessage::GESTURE, &childStep, &FakeWindowSystem::childWindow));
    EXPECT_EQ(system.defaultProcedureCalls, 1);
    EXPECT_EQ(system.closed.size(), 4u);

    // Another platform's event record is never read as a window-system message.
    Native::GESTUREINFO bogus{};
    EXPECT_FALSE(Dispatch("xcb_generic_event_t", Native::GestureMessage::GESTURE, &bogus));
    EXPECT_EQ(handler->calls, 2);
}

} // namespace
} // namespace Talvex::Test
