#include "SessionHelper.h"

#include <QDeadlineTimer>
#include <QFile>

namespace Talvex::Test {

SessionReport ParseSessionReport(const QByteArray& output)
{
    SessionReport report;
    for (const QByteArray& line : output.split('\n')) {
        if (line.startsWith("session ")) {
            report.sessionId = QString::fromUtf8(line.mid(8));
        } else if (line.startsWith("crashed ")) {
            report.crashed << QString::fromUtf8(line.mid(8));
        } else if (line == "ready") {
            report.ready = true;
        }
    }
    return report;
}

QMap<QString, QString> RecordsIn(const QString& iniPath)
{
    QMap<QString, QString> records;
    QFile file(iniPath);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            const int cut = line.indexOf('=');
            if (cut > 0 && !line.startsWith('[')) {
                records.insert(QString::fromUtf8(line.left(cut).trimmed()),
                               QString::fromUtf8(line.mid(cut + 1).trimmed()));
            }
        }
    }
    return records;
}

QString HelperSessionFile()
{
    return qEnvironmentVariable("XDG_DATA_HOME") +
           QStringLiteral("/ApplicationHelper/Talvex/clipforge 20.1.2/ApplicationHelper.ini");
}

HelperSession::HelperSession(const QString& role)
{
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(TALVEX_HELPER), {role});
}

HelperSession::~HelperSession()
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
}

bool HelperSession::WaitReady(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    process.waitForStarted(timeoutMs);
    while (!report.ready && !deadline.hasExpired()) {
        process.waitForReadyRead(50);
        output += process.readAllStandardOutput();
        report = ParseSessionReport(output);
        if (process.state() == QProcess::NotRunning && process.bytesAvailable() == 0) {
            break;
        }
    }
    return report.ready;
}

bool HelperSession::Kill()
{
    process.kill();
    return process.waitForFinished(15000) && process.exitStatus() == QProcess::CrashExit;
}

bool HelperSession::Finish(int timeoutMs)
{
    process.write("quit\n");
    process.closeWriteChannel();
    return process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace Talvex::Test
