#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>

namespace Talvex::Test {

// Acts once on the first modal message box that shows up, from inside its event loop,
// as a user would. Whether it acted tells whether a box was shown at all.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(QMessageBox&)> action) : action(std::move(action))
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { Poll(); });
        timer.start(5);
    }
    bool Acted() const { return acted; }

private:
    void Poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            return;
        }
        timer.stop();
        acted = true;
        action(*box);
    }

    std::function<void(QMessageBox&)> action;
    QTimer timer;
    bool acted = false;
};

inline void Press(QMessageBox& box, QMessageBox::StandardButton which)
{
    QAbstractButton* button = box.button(which);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

// Clicks the check box's indicator, at its left end.
inline void Tick(QMessageBox& box)
{
    QCheckBox* check = box.checkBox();
    ASSERT_NE(check, nullptr);
    QTest::mouseClick(check, Qt::LeftButton, Qt::NoModifier, QPoint(6, check->height() / 2));
}

// A plain QApplication for the test's lifetime (the suite's main creates none).
class GuiTest : public ::testing::Test {
protected:
    int argc = 1;
    char name[16] = "dialogs-test";
    char* argv[2] = {name, nullptr};
    QApplication application{argc, argv};
};

} // namespace Talvex::Test
