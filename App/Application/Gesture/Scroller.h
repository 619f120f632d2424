#pragma once

#include "App/Application/Gesture/Emitter.h"

#include <TalvexExport.h>

#include <QAbstractItemView>

class QAbstractScrollArea;

namespace Talvex::App::Gesture {

// Scrolls its parent scroll area by one- or two-finger panning, the content following
// the finger pixel by pixel. An item view scrolls by pixels while the finger is down
// and gets its own scroll modes back when the pan ends, still at its end if the pan
// took it there. The application gives every scroll area one when it is first shown.
class TALVEX_EXPORT Scroller : public Emitter {
    Q_OBJECT
public:
    explicit Scroller(QAbstractScrollArea* area);
    ~Scroller() override;

    // Gives the area a scroller unless one of its children already is one.
    static void AttachTo(QAbstractScrollArea* area);

private slots:
    void scrollByPanning(const Talvex::App::Gesture::Pan& gesture);

private:
    void SwitchToPixels();
    void RestoreModes();
    void FollowFinger(Point position);

    QAbstractScrollArea* const area;
    QAbstractItemView* const itemView;
    Point lastPosition;
    // Read from the view at construction, so an end step without a begin step (a
    // scroller created mid-pan) restores what the view had.
    QAbstractItemView::ScrollMode savedHorizontalMode = QAbstractItemView::ScrollPerItem;
    QAbstractItemView::ScrollMode savedVerticalMode = QAbstractItemView::ScrollPerItem;
};

} // namespace Talvex::App::Gesture
