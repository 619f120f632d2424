#pragma once

#include <QList>
#include <QPointF>
#include <QTouchEvent>

#include <memory>

namespace Talvex::QtCompat {

// Touch events: Qt 6 made each touch point a QEventPoint with renamed accessors and a
// state enum of its own. These read a point the same way on both.
using TouchPoint = QTouchEvent::TouchPoint;

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
inline const QList<TouchPoint>& TouchPoints(const QTouchEvent& event)
{
    return event.points();
}
// The library reads touches where they reach the window, whose coordinates are Qt 6's
// scene coordinates; a point built by hand (QEventPoint's public constructor) carries
// only those.
inline QPointF Position(const TouchPoint& point)
{
    return point.scenePosition();
}
inline QPointF ScreenPosition(const TouchPoint& point)
{
    return point.globalPosition();
}
inline bool IsPressed(const TouchPoint& point)
{
    return point.state() == QEventPoint::Pressed;
}
inline bool IsReleased(const TouchPoint& point)
{
    return point.state() == QEventPoint::Released;
}

// Building touch input by hand, as tests and unattended tours do.
using TouchDevice = QPointingDevice;
inline TouchPoint MakeTouchPoint(int id, Qt::TouchPointState state, QPointF position, QPointF screenPosition)
{
    return TouchPoint(id, static_cast<QEventPoint::State>(state), position, screenPosition);
}
inline std::unique_ptr<QTouchEvent> NewTouchEvent(QEvent::Type type, const TouchDevice* device,
                                                  const QList<TouchPoint>& points)
{
    return std::make_unique<QTouchEvent>(type, device, Qt::NoModifier, points);
}
#else
inline const QList<TouchPoint>& TouchPoints(const QTouchEvent& event)
{
    return event.touchPoints();
}
inline QPointF Position(const TouchPoint& point)
{
    return point.pos();
}
inline QPointF ScreenPosition(const TouchPoint& point)
{
    return point.screenPos();
}
inline bool IsPressed(const TouchPoint& point)
{
    return point.state() == Qt::TouchPointPressed;
}
inline bool IsReleased(const TouchPoint& point)
{
    return point.state() == Qt::TouchPointReleased;
}

using TouchDevice = QTouchDevice;
inline TouchPoint MakeTouchPoint(int id, Qt::TouchPointState state, QPointF position, QPointF screenPosition)
{
    TouchPoint point(id);
    point.setState(state);
    point.setPos(position);
    point.setScreenPos(screenPosition);
    return point;
}
inline std::unique_ptr<QTouchEvent> NewTouchEvent(QEvent::Type type, TouchDevice* device,
                                                  const QList<TouchPoint>& points)
{
    Qt::TouchPointStates states;
    for (const TouchPoint& point : points) {
        states |= point.state();
    }
    return std::make_unique<QTouchEvent>(type, device, Qt::NoModifier, states, points);
}
#endif

} // namespace Talvex::QtCompat
