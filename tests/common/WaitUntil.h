#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace Talvex::Test {

// Processes events until `condition` holds or `timeoutMs` pass; answers the condition.
template <class Condition> bool WaitUntil(Condition condition, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return condition();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

} // namespace Talvex::Test
