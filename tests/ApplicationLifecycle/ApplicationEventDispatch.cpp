#include "common/ApplicationFakes.h"
#include "common/LogCapture.h"
#include "common/WaitUntil.h"

#include <QMouseEvent>
#include <QTest>
#include <QTimerEvent>
#include <QWidget>

#include <QTimer>

#include <stdexcept>
#include <thread>

class CountingTimer : public QObject {
public:
    int fired = 0;

protected:
    void timerEvent(QTimerEvent*) override { ++fired; }
};

namespace WebCore {
// Stands in for an embedded web engine's shared timer, which is recognised by class name.
class SharedTimerQt : public CountingTimer {
    Q_OBJECT
};
} // namespace WebCore

// A class of its own that takes the web timer's meta-object, and so its name.
class DerivedWebTimer : public WebCore::SharedTimerQt {};

namespace Talvex::Test {
namespace {

class CountingApplication : public App::Application {
public:
    using App::Application::Application;
    int started = 0;
    void OnStart() override { ++started; }
};

class ThrowingObject : public QObject {
protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User) {
            throw std::runtime_error("broken handler");
        }
        return QObject::event(event);
    }
};

void SendMouse(QWidget& widget, QEvent::Type type)
{
    QMouseEvent event(type, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

int FiredAfterOneMore(CountingTimer& timer)
{
    QTimerEvent event(1);
    QApplication::sendEvent(&timer, &event);
    return timer.fired;
}

void Activate(QWidget& window)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

} // namespace

class ApplicationEventDispatch : public ApplicationTest {};

TEST_F(ApplicationEventDispatch, ActivationBeforeStartRaisesTheSplash)
{
    auto application = Make();
    auto splash = std::make_shared<CountingSplash>();
    application->SetSplash(splash);
    QWidget window;
    Activate(window);
    EXPECT_TRUE(WaitUntil([&] { return splash->raised > 0; }));
}

TEST_F(ApplicationEventDispatch, OnlyTheFirstStartRunsAndLaterActivationLeavesTheSplashAlone)
{
    auto application = Make<CountingApplication>();
    auto splash = std::make_shared<CountingSplash>();
    application->SetSplash(splash);
    application->Start();
    application->Start();
    EXPECT_EQ(application->started, 1);
    ASSERT_EQ(splash->raised, 1);
    QWidget window;
    Activate(window);
    QCoreApplication::processEvents();
    EXPECT_EQ(splash->raised, 1);
}

TEST_F(ApplicationEventDispatch, SharedWebTimerStarvesOnlyWhileDragging)
{
    auto application = Make();
    QWidget widget;
    WebCore::SharedTimerQt webTimer;
    CountingTimer otherTimer;

    SendMouse(widget, QEvent::MouseButtonPress);
    EXPECT_EQ(FiredAfterOneMore(webTimer), 1) << "a press alone is not a drag";
    SendMouse(widget, QEvent::MouseMove);
    EXPECT_EQ(FiredAfterOneMore(webTimer), 1);
    EXPECT_EQ(FiredAfterOneMore(otherTimer), 1) << "other timers are delivered during a drag";
    DerivedWebTimer derivedTimer;
    EXPECT_EQ(FiredAfterOneMore(derivedTimer), 0) << "the class name comes from the meta-object";
    EXPECT_EQ(FiredAfterOneMore(otherTimer), 2);
    EXPECT_EQ(FiredAfterOneMore(webTimer), 1);
    SendMouse(widget, QEvent::MouseButtonRelease);
    EXPECT_EQ(FiredAfterOneMore(webTimer), 2);
    SendMouse(widget, QEvent::MouseMove);
    EXPECT_EQ(FiredAfterOneMore(webTimer), 3) << "a move without a held button is not a drag";

    SendMouse(widget, QEvent::MouseButtonDblClick);
    SendMouse(widget, QEvent::MouseMove);
    EXPECT_EQ(FiredAfterOneMore(webTimer), 3) << "a double click is a press";
    SendMouse(widget, QEvent::MouseButtonRelease);
}

// The class memo is shared by every thread that delivers events; timers of both kinds
// firing on two threads at once, each switching between classes, must each get the
// answer of their own class.
TEST_F(ApplicationEventDispatch, TimersOnTwoThreadsDuringADragEachGetTheirOwnClassAnswer)
{
    auto application = Make();
    QWidget widget;
    SendMouse(widget, QEvent::MouseButtonPress);
    SendMouse(widget, QEvent::MouseMove);

    const int rounds = 20000;
    int webFired[2] = {};
    int otherFired[2] = {};
    auto fire = [&](int thread) {
        WebCore::SharedTimerQt webTimer;
        CountingTimer otherTimer;
        for (int round = 0; round < rounds; ++round) {
            FiredAfterOneMore(webTimer);
            FiredAfterOneMore(otherTimer);
        }
        webFired[thread] = webTimer.fired;
        otherFired[thread] = otherTimer.fired;
    };
    std::thread first(fire, 0);
    std::thread second(fire, 1);
    first.join();
    second.join();
    SendMouse(widget, QEvent::MouseButtonRelease);

    for (int thread : {0, 1}) {
        EXPECT_EQ(webFired[thread], 0) << "thread " << thread;
        EXPECT_EQ(otherFired[thread], rounds) << "thread " << thread;
    }
}

TEST_F(ApplicationEventDispatch, ExceptionFromAHandlerIsLoggedOnceAndRethrown)
{
    auto application = Make();
    LogCapture log;
    ThrowingObject receiver;
    QEvent event(QEvent::User);
    EXPECT_THROW(QApplication::sendEvent(&receiver, &event), std::runtime_error);

    ASSERT_EQ(log.Count(google::GLOG_ERROR, "Exception has been caught in event processing"), 1);
    const std::string entry = log.Entries().back().message;
    for (const char* part :
         {"\tReceiver: Talvex::Test::(anonymous namespace)::ThrowingObject",
          "\tEvent class: QEvent. Event type: QEvent::User", "\tException details: ", "broken handler"}) {
        EXPECT_NE(entry.find(part), std::string::npos) << part << " missing from " << entry;
    }
}

TEST_F(ApplicationEventDispatch, AQuitGrantedBeforeTheEventLoopRunsEndsItOnceItStarts)
{
    auto application = Make();
    QObject::connect(application.get(), &App::Application::ApplicationStarted, application.get(),
                     [&] { EXPECT_TRUE(application->TryToQuit()); });
    application->Start();
    QTimer::singleShot(10000, application.get(), [&] { application->exit(7); });
    EXPECT_EQ(application->exec(), 0) << "the loop ran until the watchdog";
}

} // namespace Talvex::Test

#include "ApplicationEventDispatch.moc"
