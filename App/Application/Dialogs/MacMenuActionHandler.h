#pragma once

#include "Platform/Qt/TranslationFunctions.h"

#include <TalvexExport.h>

#include <QObject>

#include <functional>

class QMenuBar;
class QWidget;

namespace Talvex::App {

// Wires the standard entries of a macOS application menu ("menuMacOSMenu") and Window
// menu ("menuWindow") found among `menuBar`'s descendants to their behaviour and
// shortcuts, once, at construction; missing menus and actions are skipped. Minimise
// and zoom act on the active window when `canManipulate` (when set) accepts it. The
// handler is a child of the menu bar. GUI thread only.
class TALVEX_EXPORT MacMenuActionHandler : public QObject {
    Q_OBJECT
    // trUtf8 as well as tr, on Qt 6 too (where it is tr under its old name).
    TALVEX_TR_UTF8

public:
    MacMenuActionHandler(QMenuBar* menuBar, std::function<bool(QWidget*)> canManipulate);
    ~MacMenuActionHandler() override;

private slots:
    // Hide, hide others and bring all to front act only on macOS.
    void onHideItself();
    void onHideOthers();
    void onMinimize();
    void onZoom();
    void onBringAllToFront();

private:
    virtual bool canManipulateWithWidget(QWidget* widget);

    void WireApplicationMenu(QMenuBar* menuBar);
    void WireWindowMenu(QMenuBar* menuBar);
    QWidget* ActiveWindowToManipulate();

    std::function<bool(QWidget*)> canManipulate;
};

} // namespace Talvex::App
