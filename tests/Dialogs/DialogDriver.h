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
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->isVisible()) {
                timer.stop();
                acted = true;
                this->action(*box);
            }
        });
        timer.start(5);
    }
    bool Acted() const { return acted; }

private:
    std::function<void(QMessageBox&)> action;
    QTimer timer;
    bool acted = false;
};

inline void Press(QMessageBox& box, QMessageBox::StandardButton which)
{
    QTest::mouseClick(box.button(which), Qt::LeftButton);
}

// Clicks the check box's indicator, at its left end.
inline void Tick(QMessageBox& box)
{
    QTest::mouseClick(box.checkBox(), Qt::LeftButton, Qt::NoModifier, QPoint(6, box.checkBox()->height() / 2));
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
