#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

// The program that runs crash sessions: this suite's helper unless the suite names
// another one.
#ifndef TALVEX_SESSION_HELPER
#define TALVEX_SESSION_HELPER TALVEX_HELPER
#endif

namespace Talvex::Test {

// What a helper printed about its crash session.
struct SessionReport {
    QString sessionId;
    QStringList crashed;
    bool taking = false; // about to take the list of crashed sessions
    bool ready = false;
};

inline SessionReport ParseSessionReport(const QByteArray& output)
{
    SessionReport report;
    for (const QByteArray& line : output.split('\n')) {
        if (line.startsWith("session ")) {
            report.sessionId = QString::fromUtf8(line.mid(8));
        } else if (line.startsWith("crashed ")) {
            report.crashed << QString::fromUtf8(line.mid(8));
        }
        report.taking = report.taking || line == "taking";
        report.ready = report.ready || line == "ready";
    }
    return report;
}

// The entries of a session file, read as plain text so that no settings cache of this
// process stands between the test and the file. Entries of a section other than
// [General] (a start's claim on crashes it took) read as "<section>/<key>".
inline QMap<QString, QString> RecordsIn(const QString& iniPath)
{
    QMap<QString, QString> records;
    QFile file(iniPath);
    QString section;
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            const int cut = line.indexOf('=');
            if (line.startsWith('[')) {
                section = line == "[General]" ? QString() : QString::fromUtf8(line.mid(1, line.indexOf(']') - 1));
            } else if (cut > 0) {
                const QString key = QString::fromUtf8(line.left(cut).trimmed());
                records.insert(section.isEmpty() ? key : section + QLatin1Char('/') + key,
                               QString::fromUtf8(line.mid(cut + 1).trimmed()));
            }
        }
    }
    return records;
}

// The session file of the helper program, in the data folder the test main set up.
inline QString HelperSessionFile()
{
    const QString program = QFileInfo(QStringLiteral(TALVEX_SESSION_HELPER)).baseName();
    return qEnvironmentVariable("XDG_DATA_HOME") + QLatin1Char('/') + program +
           QStringLiteral("/Talvex/clipforge 20.1.2/") + program + QStringLiteral(".ini");
}

// The session file of this test program itself, for trackers built in the test.
inline QString OwnSessionFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/Talvex/clipforge 20.1.2/") + QFileInfo(QCoreApplication::applicationFilePath()).baseName() +
           QStringLiteral(".ini");
}

inline QString OwnPid()
{
    return QString::number(QCoreApplication::applicationPid());
}

// One helper process running a crash session ("session-quit" or "session-hold"), built
// once it has reported. Every wait is bounded; a helper still running at destruction is
// killed.
class HelperSession {
public:
    explicit HelperSession(const char* role)
    {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(TALVEX_SESSION_HELPER), {QLatin1String(role)});
        const QDeadlineTimer deadline(15000);
        while (!report.ready && !deadline.hasExpired() &&
               (process.waitForReadyRead(50) || process.state() != QProcess::NotRunning || process.bytesAvailable())) {
            output += process.readAllStandardOutput();
            report = ParseSessionReport(output);
        }
        EXPECT_TRUE(report.ready) << "no report from the helper in role " << role;
    }
    ~HelperSession()
    {
        process.kill();
        process.waitForFinished(5000);
    }

    const SessionReport& Report() const { return report; }
    QString Pid() const { return QString::number(process.processId()); }
    // SIGKILL, as a crash would end it; true once it is gone.
    bool Kill()
    {
        process.kill();
        return process.waitForFinished(15000) && process.exitStatus() == QProcess::CrashExit;
    }
    // Lets a holding helper stop normally; true when it exited with 0.
    bool Finish()
    {
        process.write("quit\n");
        process.closeWriteChannel();
        return process.waitForFinished(15000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

private:
    QProcess process;
    QByteArray output;
    SessionReport report;
};

} // namespace Talvex::Test
