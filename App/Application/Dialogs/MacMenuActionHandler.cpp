#include "App/Application/Dialogs/MacMenuActionHandler.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace Talvex::App {

namespace {

QAction* FindAction(const QList<QAction*>& actions, const QString& name)
{
    for (QAction* action : actions) {
        if (action->objectName() == name) {
            return action;
        }
    }
    return nullptr;
}

} // namespace

MacMenuActionHandler::MacMenuActionHandler(QMenuBar* menuBar, std::function<bool(QWidget*)> canManipulate)
    : QObject(menuBar), canManipulate(std::move(canManipulate))
{
    if (menuBar) {
        WireApplicationMenu(menuBar);
        WireWindowMenu(menuBar);
    }
}

MacMenuActionHandler::~MacMenuActionHandler() = default;

void MacMenuActionHandler::WireApplicationMenu(QMenuBar* menuBar)
{
    const auto* menu = menuBar->findChild<QMenu*>(QStringLiteral("menuMacOSMenu"));
    if (!menu) {
        return;
    }
    const QList<QAction*> actions = menu->actions();
    // On macOS Qt's Ctrl is the Command key: Command+H and Command+Option+H.
    if (QAction* hide = FindAction(actions, QStringLiteral("action_Hide"))) {
        connect(hide, &QAction::triggered, this, &MacMenuActionHandler::onHideItself);
        hide->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    }
    if (QAction* hideOthers = FindAction(actions, QStringLiteral("action_Hide_Others"))) {
        connect(hideOthers, &QAction::triggered, this, &MacMenuActionHandler::onHideOthers);
        hideOthers->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_H));
    }
    if (QAction* preferences = FindAction(actions, QStringLiteral("action_Preferences"))) {
        preferences->setShortcut(QKeySequence::Preferences);
    }
    // The application menu ends with Quit, whatever the product named it.
    if (!actions.isEmpty()) {
        actions.last()->setShortcut(QKeySequence::Quit);
    }
}

void MacMenuActionHandler::WireWindowMenu(QMenuBar* menuBar)
{
    const auto* menu = menuBar->findChild<QMenu*>(QStringLiteral("menuWindow"));
    if (!menu) {
        return;
    }
    const QList<QAction*> actions = menu->actions();
    if (QAction* minimize = FindAction(actions, QStringLiteral("actionMinimize"))) {
        connect(minimize, &QAction::triggered, this, &MacMenuActionHandler::onMinimize);
    }
    if (QAction* zoom = FindAction(actions, QStringLiteral("actionZoom"))) {
        connect(zoom, &QAction::triggered, this, &MacMenuActionHandler::onZoom);
    }
    if (QAction* bringToFront = FindAction(actions, QStringLiteral("actionBring_all_to_Front"))) {
        connect(bringToFront, &QAction::triggered, this, &MacMenuActionHandler::onBringAllToFront);
    }
}

bool MacMenuActionHandler::canManipulateWithWidget(QWidget* widget)
{
    return !canManipulate || canManipulate(widget);
}

QWidget* MacMenuActionHandler::ActiveWindowToManipulate()
{
    QWidget* window = QApplication::activeWindow();
    return window && canManipulateWithWidget(window) ? window : nullptr;
}

void MacMenuActionHandler::onMinimize()
{
    if (QWidget* window = ActiveWindowToManipulate()) {
        window->showMinimized();
    }
}

void MacMenuActionHandler::onZoom()
{
    if (QWidget* window = ActiveWindowToManipulate()) {
        if (window->isMaximized()) {
            window->showNormal();
        } else {
            window->showMaximized();
        }
    }
}

#ifdef Q_OS_MACOS
// Without AppKit at hand: hiding the application minimises its windows (the Dock
// restores them), bringing all to front raises every visible one. Other applications
// are out of reach, so hide others does nothing.
void MacMenuActionHandler::onHideItself()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            window->showMinimized();
        }
    }
}

void MacMenuActionHandler::onHideOthers()
{
}

void MacMenuActionHandler::onBringAllToFront()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            window->raise();
        }
    }
}
#else
void MacMenuActionHandler::onHideItself()
{
}

void MacMenuActionHandler::onHideOthers()
{
}

void MacMenuActionHandler::onBringAllToFront()
{
}
#endif

} // namespace Talvex::App
