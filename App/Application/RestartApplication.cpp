#include "App/Application/RestartApplication.h"

#include "App/Application/Application.h"
#include "App/Application/SingleInstance.h"
#include "Platform/Logging/LogLine.h"
#include "Platform/Util/AlertBox.h"

#include <QPixmap>
#include <QProcess>

namespace Talvex::App {
namespace {

bool UserConfirmsRestart(const QPixmap& icon)
{
    Util::AlertBox box(Util::AlertBox::Level(0), QCoreApplication::translate("ApplicationRestarter", "Attention"),
                       QCoreApplication::translate("ApplicationRestarter",
                                                   "<b>This will restart the application.</b><br>"
                                                   "Do you want to continue?"),
                       QMessageBox::Ok | QMessageBox::Cancel, QApplication::activeWindow(),
                       Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    if (!icon.isNull()) {
        box.setIconPixmap(icon);
    }
    return box.Exec() == QMessageBox::Ok;
}

} // namespace

void RestartApplication(Talvex::Enums::WorkingMode mode, const QPixmap& icon, const QString& arguments)
{
    auto* application = qobject_cast<Application*>(QCoreApplication::instance());
    if (!application) {
        TALVEX_LOG(ERROR) << "RestartApplication needs a running Talvex::App::Application";
        return;
    }
    if (mode == Talvex::Enums::Interactive && !UserConfirmsRestart(icon)) {
        return;
    }
    application->ClearCrashes();
    if (!application->TryToQuit()) {
        return;
    }
    QString command = QLatin1Char('"') + QCoreApplication::applicationFilePath() + QLatin1Char('"');
    if (!arguments.isEmpty()) {
        command += QLatin1Char(' ') + arguments;
    }
    // Split by QProcess's own quoting rules, so a path with spaces stays one program.
    QStringList parts = QProcess::splitCommand(command);
    // The copy must become the running instance, not hand its command line to us while
    // we shut down.
    SingleInstance::ReleaseClaim();
    const QString program = parts.takeFirst();
    QProcess::startDetached(program, parts);
}

} // namespace Talvex::App
