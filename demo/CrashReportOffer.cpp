#include "CrashReportOffer.h"

#include "MainWindow.h"

#include "App/Application/Application.h"
#include "Platform/Util/AlertBox.h"

#include <QDir>
#include <QSaveFile>

void CrashReportOffer::Run(Talvex::App::Application& application, MainWindow& window, bool unattended)
{
    if (!application.HasUnreportedCrash()) {
        return;
    }
    if (unattended) {
        window.AddTranslatedLine([] { return tr("A crash report would be offered now"); });
        return;
    }
    Talvex::Util::AlertBox box(Talvex::Util::AlertBox::Question, tr("Crash report"),
                               tr("%1 closed unexpectedly last time. Prepare a report that you can send us?")
                                   .arg(application.GetProductNameAbout()),
                               QMessageBox::Yes | QMessageBox::No, &window);
    if (box.Exec() == QMessageBox::Yes) {
        const QString report = WriteReport(application);
        window.SetStatus([report] {
            return report.isEmpty() ? tr("The crash report could not be written")
                                    : tr("Crash report written to %1").arg(report);
        });
    }
    application.ClearCrashes();
}

QString CrashReportOffer::WriteReport(Talvex::App::Application& application)
{
    const QString folder = application.GetApplicationTemporaryFilesDir();
    QSaveFile file(QDir(folder).filePath(
        QStringLiteral("crash-report-%1.txt").arg(QString::fromStdString(application.SessionId()))));
    if (folder.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return QString();
    }
    QByteArray text = application.GetProductNameAbout().toUtf8() + ' ' +
                      QCoreApplication::applicationVersion().toUtf8() + "\ncrashed sessions:\n";
    for (const std::string& session : application.GetCrashedSessions()) {
        text += QByteArray::fromStdString(session) + '\n';
    }
    file.write(text);
    return file.commit() ? file.fileName() : QString();
}
