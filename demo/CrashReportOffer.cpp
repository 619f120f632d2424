#include "CrashReportOffer.h"

#include "MainWindow.h"

#include "App/Application/Application.h"
#include "Platform/Util/AlertBox.h"

#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include <algorithm>

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
        // Session ids start with their start time: the greatest is the last run.
        const auto crashed = application.GetCrashedSessions();
        ShowReport(application, window, *std::max_element(crashed.begin(), crashed.end()));
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

void CrashReportOffer::ShowReport(Talvex::App::Application& application, QWidget& parent, const std::string& sessionId)
{
    const QString report = QString::fromStdString(application.GetCrashReport(sessionId));
    QDialog dialog(&parent);
    dialog.setWindowTitle(tr("Crash report"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QPlainTextEdit(report.isEmpty() ? tr("This session left no report.") : report);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setMinimumSize(640, 320);
    layout->addWidget(text);
    const QString folder = application.GetCrashReportsFolder();
    auto* where = new QLabel(tr("Reports are kept in %1").arg(QDir::toNativeSeparators(folder)));
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(where);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton* copy = buttons->addButton(tr("Copy"), QDialogButtonBox::ActionRole);
    copy->setEnabled(!report.isEmpty());
    QObject::connect(copy, &QPushButton::clicked, &dialog, [report] { QGuiApplication::clipboard()->setText(report); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.exec();
}
