#include "App/Application/Gesture/TouchBridge.h"

#include "App/Application/Gesture/Router.h"
#include "App/Application/Gesture/TouchSequence_p.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <QTouchEvent>

namespace Talvex::App::Gesture {
namespace {

TouchBridge* current = nullptr;

bool IsTouch(QEvent::Type type)
{
    return type == QEvent::TouchBegin || type == QEvent::TouchUpdate || type == QEvent::TouchEnd ||
           type == QEvent::TouchCancel;
}

} // namespace

TouchBridge::TouchBridge(QObject* parent)
    : QObject(parent), router(new Router(this)),
      sequence(std::make_unique<TouchSequence>(QGuiApplication::styleHints()->startDragDistance()))
{
    current = this;
}

TouchBridge::~TouchBridge()
{
    if (current == this) {
        current = nullptr;
    }
}

// Only the window's copy of a touch event is taken: it comes first, before Qt hands
// the touch to widgets or turns it into mouse events.
bool TouchBridge::Take(QObject* receiver, QEvent* event)
{
    if (!current || !IsTouch(event->type()) || !receiver || !receiver->isWindowType()) {
        return false;
    }
    return current->Handle(*static_cast<QTouchEvent*>(event));
}

bool TouchBridge::Handle(QTouchEvent& event)
{
    bool taken = false;
    switch (event.type()) {
    case QEvent::TouchBegin:
        taken = sequence->Begin(event, *router);
        break;
    case QEvent::TouchCancel:
        taken = sequence->Cancel();
        break;
    default:
        taken = sequence->Step(event);
        break;
    }
    if (taken) {
        event.accept();
    }
    return taken;
}

} // namespace Talvex::App::Gesture
