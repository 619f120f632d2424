#pragma once

#include "FakeWindowSystem.h"
#include "common/ApplicationFakes.h"

#include "App/Application/Gesture/Emitter.h"
#include "App/Application/Gesture/Scroller.h"

#include <QAbstractScrollArea>
#include <QListView>
#include <QStringListModel>
#include <QTest>
#include <QWidget>

#include <memory>

namespace Talvex::Test {

// A consumer the router can find: a QObject child of a widget.
class ChildConsumer : public QObject, public RecordingConsumer {
public:
    explicit ChildConsumer(QObject* parent) : QObject(parent) {}
};

inline int ScrollerCount(const QAbstractScrollArea& area)
{
    return int(area.findChildren<App::Gesture::Scroller*>(QString(), Qt::FindDirectChildrenOnly).size());
}

class GestureApplication : public ApplicationTest {
protected:
    void SetUp() override { app = Make(); }

    // A shown list of rows 20 pixels high in a 200 x 200 window.
    std::unique_ptr<QListView> ShownList(int rows, QAbstractItemView::ScrollMode mode)
    {
        QStringList names;
        for (int row = 0; row < rows; ++row) {
            names << QStringLiteral("clip %1.mp4").arg(row);
        }
        auto list = std::make_unique<QListView>();
        model.setStringList(names);
        list->setModel(&model);
        list->setUniformItemSizes(true);
        list->setStyleSheet(QStringLiteral("QListView::item { height: 20px; }"));
        list->setVerticalScrollMode(mode);
        list->resize(200, 200);
        list->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(list.get()));
        return list;
    }

    std::unique_ptr<App::Application> app;
    QStringListModel model;
};

} // namespace Talvex::Test
