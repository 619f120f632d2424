#include "GestureApplicationFixture.h"

#include "MediaList.h"

#include <QFile>

namespace Talvex::Test {
namespace {

using SampleProduct = GestureApplication;

TEST_F(SampleProduct, MediaListShowsMediaFilesAndFollowsTheFinger)
{
    const QString folder = scratch.filePath(QStringLiteral("media"));
    QDir().mkpath(folder);
    for (int clip = 0; clip < 60; ++clip) {
        QFile(QStringLiteral("%1/clip%2.mp4").arg(folder).arg(clip, 2, 10, QLatin1Char('0')))
            .open(QIODevice::WriteOnly);
    }
    QFile(folder + QStringLiteral("/notes.txt")).open(QIODevice::WriteOnly);
    MediaList list({folder});
    list.resize(200, 200);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    ASSERT_EQ(list.model()->rowCount(), 60);

    const int rowUnderFinger = list.indexAt({5, 100}).row();
    auto* device = QTest::createTouchDevice();
    QTest::touchEvent(&list, device).press(0, {100, 150}, list.viewport());
    for (int y = 140; y >= 50; y -= 10) {
        QTest::touchEvent(&list, device).move(0, {100, y}, list.viewport());
    }
    QTest::touchEvent(&list, device).release(0, {100, 50}, list.viewport());
    EXPECT_EQ(list.indexAt({5, 0}).row(), rowUnderFinger) << "the row 100 pixels down is now at the top";
    EXPECT_EQ(list.verticalScrollMode(), QAbstractItemView::ScrollPerItem);
}

} // namespace
} // namespace Talvex::Test
