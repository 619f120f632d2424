#include "App/Application/Application.h"

#include "App/Application/Application_p.h"
#include "App/Application/EventExceptionLog.h"
#include "App/Application/Gesture/TouchBridge.h"

#include <QAbstractScrollArea>

#include <atomic>
#include <cstdint>
#include <cstring>

// Event delivery: every event of the process passes through Application::notify, so this
// file holds the fast path and nothing else. Each trick below says what it buys (its row
// in the notify benchmark) and why it is safe; a line without such a note carries no
// weight for the figures.

namespace Talvex::App {
namespace {

// Shared by all receivers: a drag is a move while a button is held.
bool mousePressed = false;
bool mouseDragging = false;
Application::ScrollAreaShowHook scrollAreaShowHook = nullptr;

void TrackMouse(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        mousePressed = true;
        break;
    case QEvent::MouseButtonRelease:
        mousePressed = false;
        mouseDragging = false;
        break;
    case QEvent::MouseMove:
        mouseDragging = mouseDragging || mousePressed;
        break;
    default:
        break;
    }
}

// Answers about a receiver's class, remembered for the last class seen: events come
// in runs for one class, so a run costs one compare per event instead of a walk of the
// class hierarchy or a text compare. The class is told by the object's virtual table,
// one load away, where asking for its meta-object is a virtual call; objects of one
// class share one meta-object (the dynamic ones of scripting engines aside, which keep
// their class's name). The table's address and the answer share one word (a virtual
// table is pointer-aligned, so its lowest bit is free): events are delivered on worker
// threads too, and a word written whole can never pair one thread's class with
// another's answer, while a plain load of it costs no more than a flag.
//
// Buys: "timer during drag" and "show" within their goals, where a class-name compare
// or a hierarchy walk per event would not be; the one shared word (it replaced a
// thread-local pair) took "timer during drag" from 465 to 458 instructions against 437
// for bare Qt, with the two tricks below. Safe: reading the table pointer with memcpy
// is a plain load of the object's first word, which every polymorphic object has; the
// word is only ever compared, never called through.
class ClassMemo {
public:
    // True when the last class seen was this receiver's and the answer was no.
    Q_ALWAYS_INLINE bool SaysNoTo(const QObject* receiver) const
    {
        return word.load(std::memory_order_relaxed) == ClassOf(receiver);
    }

    template <class Question> bool Ask(const QObject* receiver, Question question)
    {
        const std::uintptr_t remembered = word.load(std::memory_order_relaxed);
        if ((remembered & ~ANSWER_BIT) == ClassOf(receiver)) {
            return (remembered & ANSWER_BIT) != 0;
        }
        const bool answer = question(receiver->metaObject());
        word.store(ClassOf(receiver) | (answer ? ANSWER_BIT : 0), std::memory_order_relaxed);
        return answer;
    }

private:
    static constexpr std::uintptr_t ANSWER_BIT = 1;

    static Q_ALWAYS_INLINE std::uintptr_t ClassOf(const QObject* receiver)
    {
        std::uintptr_t table;
        std::memcpy(&table, receiver, sizeof table);
        return table;
    }

    std::atomic<std::uintptr_t> word{0};
};

ClassMemo webTimerClass;
ClassMemo scrollAreaClass;

bool IsStarvedClass(const QMetaObject* metaObject)
{
    return std::strcmp(metaObject->className(), "WebCore::SharedTimerQt") == 0;
}

// An embedded web engine's shared timer competes with the drag for the GUI thread;
// starving it while the user drags keeps the drag smooth. The class is known by name
// only.
bool IsStarvedTimer(const QObject* receiver)
{
    return receiver && webTimerClass.Ask(receiver, IsStarvedClass);
}

// Timers fire often while a drag lasts: for a class seen before and not starved, the
// check is a compare in notify itself. Buys: part of "timer during drag" (no call before
// the common delivery). Safe: a wrong "no" is impossible, since the word holds the answer
// bit, and a class never seen takes the asking path.
Q_ALWAYS_INLINE bool IsKnownFreeTimer(const QObject* receiver)
{
    return receiver && webTimerClass.SaysNoTo(receiver);
}

bool IsScrollArea(const QObject* receiver)
{
    return receiver && receiver->isWidgetType() && scrollAreaClass.Ask(receiver, [](const QMetaObject* metaObject) {
        return metaObject->inherits(&QAbstractScrollArea::staticMetaObject);
    });
}

// Every event passes here, so the ordinary path stays short: the two pointers the log
// needs are kept in the frame rather than in saved registers (the handler reads them
// back, once in a process's life), and the call needs no other setup, its arguments
// being this function's own. Buys: no save and restore of two callee-saved registers on
// every event, which every notify row pays (part of the 465 to 458 above). Safe: volatile only forces the stores; the
// catch reads the same pointers it would have read from registers. noinline keeps this frame out of notify's ordinary
// path.
__attribute__((noinline)) bool DeliverGuarded(QApplication* application, QObject* receiver, QEvent* event)
{
    QObject* volatile failedReceiver = receiver;
    QEvent* volatile failedEvent = event;
    try {
        return application->QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        EventExceptionLog::Write(failedReceiver, failedEvent, error);
        throw;
    }
}

__attribute__((noinline)) bool DeliverTimerDuringDrag(QApplication* application, QObject* receiver, QEvent* event)
{
    return !IsStarvedTimer(receiver) && DeliverGuarded(application, receiver, event);
}

__attribute__((noinline)) bool DeliverShow(QApplication* application, QObject* receiver, QEvent* event)
{
    if (scrollAreaShowHook && IsScrollArea(receiver)) {
        scrollAreaShowHook(static_cast<QAbstractScrollArea*>(receiver));
    }
    return DeliverGuarded(application, receiver, event);
}

__attribute__((noinline)) bool DeliverTouch(QApplication* application, QObject* receiver, QEvent* event)
{
    return Gesture::TouchBridge::Take(receiver, event) || DeliverGuarded(application, receiver, event);
}

} // namespace

// Runs for every event of the process. The common types are tested first, and every
// path that needs more than a flag ends in a jump to a helper, so the ordinary path
// builds no stack frame of its own. Buys: the notify rows of the benchmark stay within
// 1.05 of bare QApplication::notify (1.15 for show). Safe: each helper is a tail call
// with notify's own arguments, so nothing of notify's state is needed after it.
bool Application::notify(QObject* receiver, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Timer) {
        if (mouseDragging && !IsKnownFreeTimer(receiver)) {
            return DeliverTimerDuringDrag(this, receiver, event);
        }
    } else if (type <= QEvent::MouseMove) {
        TrackMouse(type);
    } else if (type == QEvent::Show) {
        return DeliverShow(this, receiver, event);
    } else if (type == QEvent::ApplicationStateChange) {
        return DeliverStateChange(receiver, event);
    } else if (Gesture::TouchBridge::MayBeTouch(type)) {
        return DeliverTouch(this, receiver, event);
    }
    return DeliverGuarded(this, receiver, event);
}

bool Application::DeliverStateChange(QObject* receiver, QEvent* event)
{
    if (!d->started && QGuiApplication::applicationState() == Qt::ApplicationActive) {
        if (const auto splash = d->splash) {
            splash->BringToFront();
        }
    }
    return DeliverGuarded(this, receiver, event);
}

void Application::SetScrollAreaShowHook(ScrollAreaShowHook hook)
{
    scrollAreaShowHook = hook;
}

} // namespace Talvex::App
