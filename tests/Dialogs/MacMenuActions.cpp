#include "App/Application/Dialogs/MacMenuActionHandler.h"
#include "DialogDriver.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace Talvex::Test {
namespace {

using App::MacMenuActionHandler;

QAction* AddAction(QMenu* menu, const QString& name)
{
    QAction* action = menu->addAction(name);
    action->setObjectName(name);
    return action;
}

class MacMenuActions : public GuiTest {
protected:
    MacMenuActions()
    {
        // The product's application menu sits one level down here: any descendant counts.
        QMenu* top = window.menuBar()->addMenu("Talvex");
        QMenu* appMenu = top->addMenu("App");
        appMenu->setObjectName("menuMacOSMenu");
        for (const char* name : {"action_Hide", "action_Hide_Others", "action_Preferences", "actionQuit"}) {
            AddAction(appMenu, name);
        }
        QMenu* windowMenu = window.menuBar()->addMenu("Window");
        windowMenu->setObjectName("menuWindow");
        for (const char* name : {"actionMinimize", "actionZoom", "actionBring_all_to_Front"}) {
            AddAction(windowMenu, name);
        }
    }

    void ShowActive()
    {
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void Trigger(const char* name) { window.menuBar()->findChild<QAction*>(name)->trigger(); }
    QKeySequence Shortcut(const char* name) { return window.menuBar()->findChild<QAction*>(name)->shortcut(); }

    QMainWindow window;
};

TEST_F(MacMenuActions, ApplicationMenuGetsItsShortcutsAndHidingDoesNothingHere)
{
    // The standard keys may have no binding on this platform: a placeholder shows that
    // they were assigned all the same.
    for (const char* name : {"action_Preferences", "actionQuit", "action_Hide_Others"}) {
        window.menuBar()->findChild<QAction*>(name)->setShortcut(Qt::Key_F9);
    }
    auto* handler = new MacMenuActionHandler(window.menuBar(), {});
    EXPECT_EQ(handler->parent(), window.menuBar());
    EXPECT_EQ(Shortcut("action_Hide")[0], 0x4000048);
    EXPECT_EQ(Shortcut("action_Hide_Others")[0], 0xC000048);
    EXPECT_EQ(Shortcut("action_Preferences"), QKeySequence(QKeySequence::Preferences));
    EXPECT_EQ(Shortcut("actionQuit"), QKeySequence(QKeySequence::Quit));
    EXPECT_TRUE(Shortcut("actionZoom").isEmpty());

    ShowActive();
    for (const char* name : {"action_Hide", "action_Hide_Others", "actionBring_all_to_Front"}) {
        Trigger(name);
    }
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
}

TEST_F(MacMenuActions, ZoomTwiceMaximisesThenRestoresAndMinimiseMinimises)
{
    MacMenuActionHandler handler(window.menuBar(), {});
    ShowActive();
    Trigger("actionZoom");
    EXPECT_TRUE(window.isMaximized());
    Trigger("actionZoom");
    EXPECT_FALSE(window.isMaximized());
    Trigger("actionMinimize");
    EXPECT_TRUE(window.isMinimized());
}

TEST_F(MacMenuActions, RejectedOrMissingActiveWindowIsLeftAlone)
{
    QList<QWidget*> asked;
    MacMenuActionHandler handler(window.menuBar(), [&](QWidget* widget) {
        asked << widget;
        return false;
    });
    Trigger("actionMinimize");
    EXPECT_TRUE(asked.isEmpty());

    ShowActive();
    Trigger("actionZoom");
    Trigger("actionMinimize");
    EXPECT_EQ(asked, (QList<QWidget*>{&window, &window}));
    EXPECT_FALSE(window.isMaximized());
    EXPECT_FALSE(window.isMinimized());
}

TEST_F(MacMenuActions, MenusUnderOtherNamesAreNotWired)
{
    QMainWindow other;
    QMenu* file = other.menuBar()->addMenu("File");
    QAction* hide = AddAction(file, "action_Hide");
    QAction* zoom = AddAction(file, "actionZoom");
    MacMenuActionHandler handler(other.menuBar(), {});
    EXPECT_TRUE(hide->shortcut().isEmpty());
    EXPECT_TRUE(zoom->shortcut().isEmpty());

    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    zoom->trigger();
    EXPECT_FALSE(other.isMaximized());
}

} // namespace
} // namespace Talvex::Test
