#include "common/ApplicationFakes.h"
#include "common/LogCapture.h"
#include "common/WaitUntil.h"

#include <QMouseEvent>
#include <QTest>
#include <QTimerEvent>
#include <QWidget>

#include <stdexcept>

namespace WebCore {
// Stands in for an embedded web engine's shared timer, which is recognised by class name.
class SharedTimerQt : public QObject {
    Q_OBJECT
public:
    int fired = 0;

protected:
    void timerEvent(QTimerEvent*) override { ++fired; }
};
} // namespace WebCore

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

class OrdinaryTimer : public QObject {
public:
    int fired = 0;

protected:
    void timerEvent(QTimerEvent*) override { ++fired; }
};

void SendMouse(QWidget& widget, QEvent::Type type)
{
    QMouseEvent event(type, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

bool SendTimer(QObject& receiver)
{
    QTimerEvent event(1);
    return QApplication::sendEvent(&receiver, &event);
}

} // namespace

class ApplicationEventDispatch : public ApplicationTest {};

TEST_F(ApplicationEventDispatch, SecondStartNeitherRunsOnStartNorRaisesTheSplash)
{
    auto application = Make<CountingApplication>();
    auto splash = std::make_shared<CountingSplash>();
    application->SetSplash(splash);
    application->Start();
    application->Start();
    EXPECT_EQ(application->started, 1);
    EXPECT_EQ(splash->raised, 1);
    EXPECT_TRUE(application->IsStarted());
}

TEST_F(ApplicationEventDispatch, SharedWebTimerStarvesOnlyWhileDragging)
{
    auto application = MakeApplication();
    QWidget widget;
    WebCore::SharedTimerQt webTimer;
    OrdinaryTimer otherTimer;

    SendMouse(widget, QEvent::MouseButtonPress);
    EXPECT_TRUE(SendTimer(webTimer)) << "a press alone is not a drag";
    SendMouse(widget, QEvent::MouseMove);
    EXPECT_FALSE(SendTimer(webTimer));
    SendTimer(otherTimer);
    EXPECT_EQ(webTimer.fired, 1);
    EXPECT_EQ(otherTimer.fired, 1) << "other timers are delivered during a drag";

    SendMouse(widget, QEvent::MouseButtonRelease);
    SendTimer(webTimer);
    EXPECT_EQ(webTimer.fired, 2);

    SendMouse(widget, QEvent::MouseMove);
    SendTimer(webTimer);
    EXPECT_EQ(webTimer.fired, 3) << "a move without a held button is not a drag";
}

TEST_F(ApplicationEventDispatch, DoubleClickCountsAsAPress)
{
    auto application = MakeApplication();
    QWidget widget;
    WebCore::SharedTimerQt webTimer;
    SendMouse(widget, QEvent::MouseButtonDblClick);
    SendMouse(widget, QEvent::MouseMove);
    SendTimer(webTimer);
    EXPECT_EQ(webTimer.fired, 0);
    SendMouse(widget, QEvent::MouseButtonRelease);
}

TEST_F(ApplicationEventDispatch, ActivationBeforeStartRaisesTheSplash)
{
    auto application = MakeApplication();
    auto splash = std::make_shared<CountingSplash>();
    application->SetSplash(splash);
    QWidget window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(WaitUntil([&] { return splash->raised > 0; }));
}

TEST_F(ApplicationEventDispatch, ActivationAfterStartLeavesTheSplashAlone)
{
    auto application = MakeApplication();
    auto splash = std::make_shared<CountingSplash>();
    application->SetSplash(splash);
    application->SetSettingsManager(FileStore(scratch.filePath("settings.ini")));
    auto customization = std::make_shared<FakeCustomization>();
    customization->skipFirstRun = true;
    application->SetCustomizationManager(customization, false);
    application->Start();
    ASSERT_EQ(splash->raised, 1);
    QWidget window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QCoreApplication::processEvents();
    EXPECT_EQ(splash->raised, 1);
}

TEST_F(ApplicationEventDispatch, ExceptionFromAHandlerIsLoggedOnceAndRethrown)
{
    auto application = MakeApplication();
    LogCapture log;
    ThrowingObject receiver;
    QEvent event(QEvent::User);
    EXPECT_THROW(QApplication::sendEvent(&receiver, &event), std::runtime_error);

    ASSERT_EQ(log.Count(google::GLOG_ERROR, "Exception has been caught in event processing"), 1);
    const std::string entry = log.Entries().back().message;
    EXPECT_NE(entry.find("\tReceiver: Talvex::Test::(anonymous namespace)::ThrowingObject"), std::string::npos)
        << entry;
    EXPECT_NE(entry.find("\tEvent class: QEvent. Event type: QEvent::User"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\tException details: "), std::string::npos) << entry;
    EXPECT_NE(entry.find("broken handler"), std::string::npos) << entry;
}

} // namespace Talvex::Test

#include "ApplicationEventDispatch.moc"
