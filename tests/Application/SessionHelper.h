#pragma once

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace Talvex::Test {

// What a helper printed about its crash session.
struct SessionReport {
    QString sessionId;
    QStringList crashed;
    bool ready = false;
};

SessionReport ParseSessionReport(const QByteArray& output);

// The records of a session file, read as plain text so that no settings cache of this
// process stands between the test and the file.
QMap<QString, QString> RecordsIn(const QString& iniPath);

// The session file of the helper program, in the data folder the test main set up.
QString HelperSessionFile();

// One helper process running a crash session ("session-quit" or "session-hold").
// Every wait is bounded; a helper still running at destruction is killed.
class HelperSession {
public:
    explicit HelperSession(const QString& role);
    ~HelperSession();

    bool WaitReady(int timeoutMs = 15000);
    const SessionReport& Report() const { return report; }
    QString Pid() const { return QString::number(process.processId()); }
    // SIGKILL, as a crash would end it; true once it is gone.
    bool Kill();
    // Lets a holding helper stop normally; true when it exited with 0.
    bool Finish(int timeoutMs = 15000);

private:
    QProcess process;
    QByteArray output;
    SessionReport report;
};

} // namespace Talvex::Test
