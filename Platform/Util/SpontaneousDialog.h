#pragma once

#include <TalvexExport.h>

class QMainWindow;
class QWidget;

namespace Talvex::Util {

// The process-wide main window that dialogs raised without an obvious owner attach to.
// GUI thread only. The window is not owned; once it is destroyed GetMainWindow gives null.
class TALVEX_EXPORT SpontaneousDialog {
public:
    static void SetMainWindow(QMainWindow* window);
    static QWidget* GetMainWindow();
};

} // namespace Talvex::Util
