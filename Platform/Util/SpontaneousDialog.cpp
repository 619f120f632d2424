#include "Platform/Util/SpontaneousDialog.h"

#include <QMainWindow>
#include <QPointer>

namespace Talvex::Util {

namespace {

QPointer<QMainWindow>& MainWindow()
{
    static QPointer<QMainWindow> window;
    return window;
}

} // namespace

void SpontaneousDialog::SetMainWindow(QMainWindow* window)
{
    MainWindow() = window;
}

QWidget* SpontaneousDialog::GetMainWindow()
{
    return MainWindow().data();
}

} // namespace Talvex::Util
