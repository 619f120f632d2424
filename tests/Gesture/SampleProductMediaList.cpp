#include "TouchInput.h"

#include "MediaList.h"

#include <QFile>
#include <QScrollBar>

namespace Talvex::Test {
namespace {

using SampleProduct = TouchInput;

TEST_F(SampleProduct, MediaListShowsMediaFilesFollowsADragAndGlidesPastAFlick)
{
    const QString folder = scratch.filePath(QStringLiteral("media"));
    QDir().mkpath(folder);
    for (int clip = 0; clip < 200; ++clip) {
        QFile(QStringLiteral("%1/clip%2.mp4").arg(folder).arg(clip, 3, 10, QLatin1Char('0')))
            .open(QIODevice::WriteOnly);
    }
    QFile(folder + QStringLiteral("/notes.txt")).open(QIODevice::WriteOnly);
    MediaList list({folder});
    list.resize(200, 200);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    ASSERT_EQ(list.model()->rowCount(), 200);

    const int rowUnderFinger = list.indexAt({5, 100}).row();
    Stroke(*list.viewport(), {100, 150}, {0, -100}, 1000);
    EXPECT_EQ(list.indexAt({5, 0}).row(), rowUnderFinger) << "the row 100 pixels down is now at the top";
    EXPECT_EQ(list.verticalScrollMode(), QAbstractItemView::ScrollPerItem);

    const int rowAtFingerEnd = list.indexAt({5, 100}).row();
    UseSteppedClock(32);
    Stroke(*list.viewport(), {100, 150}, {0, -100}, 50);
    ASSERT_TRUE(WaitUntil([&list] { return list.verticalScrollMode() == QAbstractItemView::ScrollPerItem; }));
    EXPECT_GT(list.indexAt({5, 0}).row(), rowAtFingerEnd + 10) << "the list went on well past the finger";
}

} // namespace
} // namespace Talvex::Test
