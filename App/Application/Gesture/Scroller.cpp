#include "App/Application/Gesture/Scroller.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <cstdint>

namespace Talvex::App::Gesture {
namespace {

bool AtEnd(const QScrollBar* bar)
{
    return bar->value() == bar->maximum();
}

void ScrollBy(QScrollBar* bar, std::int64_t delta)
{
    const std::int64_t target = bar->value() + delta;
    bar->setValue(static_cast<int>(std::clamp<std::int64_t>(target, bar->minimum(), bar->maximum())));
}

} // namespace

Scroller::Scroller(QAbstractScrollArea* area)
    : Emitter(area), area(area), itemView(qobject_cast<QAbstractItemView*>(area))
{
    if (itemView) {
        savedHorizontalMode = itemView->horizontalScrollMode();
        savedVerticalMode = itemView->verticalScrollMode();
    }
    // By signature, so a product that scrolls by itself can drop it the same way.
    connect(this, SIGNAL(pan(Talvex::App::Gesture::Pan)), this, SLOT(scrollByPanning(Talvex::App::Gesture::Pan)));
    setHorizontalPanEnabled(true);
    setVerticalPanEnabled(true);
    setPanGutterEnabled(true);
    setPanInertiaEnabled(true);
}

Scroller::~Scroller() = default;

void Scroller::AttachTo(QAbstractScrollArea* area)
{
    for (const QObject* child : area->children()) {
        if (qobject_cast<const Scroller*>(child)) {
            return;
        }
    }
    new Scroller(area);
}

// More than one branch can apply to one step: a pan may begin and end at once.
void Scroller::scrollByPanning(const Talvex::App::Gesture::Pan& gesture)
{
    if (gesture.begin && itemView) {
        SwitchToPixels();
    }
    if (gesture.end && itemView) {
        RestoreModes();
    }
    if (!gesture.begin && !gesture.end) {
        FollowFinger(gesture.position);
    }
    lastPosition = gesture.position;
}

void Scroller::SwitchToPixels()
{
    savedHorizontalMode = itemView->horizontalScrollMode();
    savedVerticalMode = itemView->verticalScrollMode();
    itemView->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    itemView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

// Switching back to per-item scrolling keeps the top item, which would pull a view
// scrolled to its very end back by a partial row; such a view is put back at the end.
void Scroller::RestoreModes()
{
    QScrollBar* horizontal = area->horizontalScrollBar();
    QScrollBar* vertical = area->verticalScrollBar();
    const bool horizontalAtEnd = AtEnd(horizontal);
    const bool verticalAtEnd = AtEnd(vertical);
    itemView->setHorizontalScrollMode(savedHorizontalMode);
    itemView->setVerticalScrollMode(savedVerticalMode);
    if (horizontalAtEnd && savedHorizontalMode == QAbstractItemView::ScrollPerItem) {
        horizontal->setValue(horizontal->maximum());
    }
    if (verticalAtEnd && savedVerticalMode == QAbstractItemView::ScrollPerItem) {
        vertical->setValue(vertical->maximum());
    }
}

void Scroller::FollowFinger(Point position)
{
    ScrollBy(area->horizontalScrollBar(), std::int64_t(lastPosition.x) - position.x);
    ScrollBy(area->verticalScrollBar(), std::int64_t(lastPosition.y) - position.y);
}

} // namespace Talvex::App::Gesture
