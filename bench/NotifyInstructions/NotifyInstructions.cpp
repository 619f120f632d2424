// Usage: NotifyInstructions <plain|application> <mouse|key|timer|timer-drag|show> <count>
// Delivers <count> events of one kind with QCoreApplication::sendEvent inside
// DeliverEvents, the one function the measuring script tells callgrind to count.
#include "App/Application/Application.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QShowEvent>
#include <QTimerEvent>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

class Target : public QWidget {
protected:
    void timerEvent(QTimerEvent*) override {}
};

void SendMouse(QWidget& target, QEvent::Type type, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &event);
}

std::unique_ptr<QEvent> MakeEvent(const char* kind)
{
    if (std::strcmp(kind, "mouse") == 0) {
        return std::make_unique<QMouseEvent>(QEvent::MouseMove, QPointF(3, 3), Qt::NoButton, Qt::NoButton,
                                             Qt::NoModifier);
    }
    if (std::strcmp(kind, "key") == 0) {
        return std::make_unique<QKeyEvent>(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    }
    if (std::strncmp(kind, "timer", 5) == 0) {
        return std::make_unique<QTimerEvent>(1);
    }
    return std::make_unique<QShowEvent>();
}

__attribute__((noinline)) void DeliverEvents(QObject* target, QEvent* event, int count)
{
    for (int i = 0; i < count; ++i) {
        QCoreApplication::sendEvent(target, event);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <plain|application> <kind> <count>\n", argv[0]);
        return 2;
    }
    std::unique_ptr<QApplication> app;
    if (std::strcmp(argv[1], "application") == 0) {
        Talvex::App::Application::AppContext context;
        context.holdInstanceMutex = false;
        app = std::make_unique<Talvex::App::Application>(argc, argv, context);
    } else {
        app = std::make_unique<QApplication>(argc, argv);
    }
    Target target;
    const std::unique_ptr<QEvent> event = MakeEvent(argv[2]);
    if (std::strcmp(argv[2], "timer-drag") == 0) {
        SendMouse(target, QEvent::MouseButtonPress, Qt::LeftButton);
        SendMouse(target, QEvent::MouseMove, Qt::LeftButton);
    }
    DeliverEvents(&target, event.get(), std::atoi(argv[3]));
    return 0;
}
