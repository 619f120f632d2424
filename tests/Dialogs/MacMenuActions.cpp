#include "App/Application/Dialogs/MacMenuActionHandler.h"
#include "DialogDriver.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace Talvex::Test {
namespace {

using App::MacMenuActionHandler;

class MacMenuActions : public GuiTest {
protected:
    MacMenuActions()
    {
        // The application menu sits one level down here: any descendant counts.
        QMenu* appMenu = window.menuBar()->addMenu("Talvex")->addMenu("App");
        appMenu->setObjectName("menuMacOSMenu");
        AddActions(appMenu, {"action_Hide", "action_Hide_Others", "action_Preferences", "actionQuit"});
        QMenu* windowMenu = window.menuBar()->addMenu("Window");
        windowMenu->setObjectName("menuWindow");
        AddActions(windowMenu, {"actionMinimize", "actionZoom", "actionBring_all_to_Front"});
        // Standard keys may have no binding on this platform: a placeholder shows whether
        // they were assigned.
        for (const char* placeholder : {"action_Preferences", "actionQuit"}) {
            Action(placeholder)->setShortcut(Qt::Key_F9);
        }
    }

    static void AddActions(QMenu* menu, std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            menu->addAction(name)->setObjectName(name);
        }
    }

    QAction* Action(const char* name) { return window.menuBar()->findChild<QAction*>(name); }

    void ShowActive()
    {
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QMainWindow window;
};

TEST_F(MacMenuActions, ShortcutsAreSetByObjectName)
{
    new MacMenuActionHandler(window.menuBar(), {}); // a child of the menu bar
    EXPECT_EQ(Action("action_Hide")->shortcut()[0], 0x4000048);
    EXPECT_EQ(Action("action_Hide_Others")->shortcut()[0], 0xC000048);
    EXPECT_EQ(Action("action_Preferences")->shortcut(), QKeySequence(QKeySequence::Preferences));
    EXPECT_EQ(Action("actionQuit")->shortcut(), QKeySequence(QKeySequence::Quit));
    EXPECT_TRUE(Action("actionZoom")->shortcut().isEmpty());
}

TEST_F(MacMenuActions, ZoomAndMinimiseActOnTheActiveWindowThePredicateAccepts)
{
    QList<QWidget*> asked;
    bool accept = false;
    MacMenuActionHandler handler(window.menuBar(), [&](QWidget* widget) {
        asked << widget;
        return accept;
    });
    Action("actionMinimize")->trigger(); // no active window yet
    EXPECT_TRUE(asked.isEmpty());
    ShowActive();
    Action("actionZoom")->trigger();
    Action("actionMinimize")->trigger();
    EXPECT_EQ(asked, (QList<QWidget*>{&window, &window}));
    EXPECT_FALSE(window.isMaximized() || window.isMinimized());

    accept = true;
    Action("actionZoom")->trigger();
    EXPECT_TRUE(window.isMaximized());
    Action("actionZoom")->trigger();
    EXPECT_FALSE(window.isMaximized());
    Action("actionMinimize")->trigger();
    EXPECT_TRUE(window.isMinimized());
}

TEST_F(MacMenuActions, MenusUnderOtherNamesAreNotWired)
{
    window.menuBar()->findChild<QMenu*>("menuMacOSMenu")->setObjectName("menuFile");
    window.menuBar()->findChild<QMenu*>("menuWindow")->setObjectName("menuView");
    MacMenuActionHandler handler(window.menuBar(), {});
    EXPECT_TRUE(Action("action_Hide")->shortcut().isEmpty());
    EXPECT_EQ(Action("actionQuit")->shortcut(), QKeySequence(Qt::Key_F9));
    ShowActive();
    Action("actionZoom")->trigger();
    EXPECT_FALSE(window.isMaximized());
}

} // namespace
} // namespace Talvex::Test
