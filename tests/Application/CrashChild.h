#pragma once

#include "SessionHelper.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

#include <csignal>

namespace Talvex::Test {

// Where the helper's crash reports go.
inline QString HelperCrashFolder()
{
    return QFileInfo(HelperSessionFile()).absolutePath() + QStringLiteral("/crashes");
}

// The helper's environment. A sanitizer build would catch the crashes in its own
// handlers first; the children hand the signals to the library's handler instead.
inline QProcessEnvironment ChildEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString options = QStringLiteral("handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0:"
                                           "handle_abort=0:detect_leaks=0");
    for (const QString& name : {QStringLiteral("ASAN_OPTIONS"), QStringLiteral("UBSAN_OPTIONS")}) {
        const QString given = environment.value(name);
        environment.insert(name, given.isEmpty() ? options : given + QLatin1Char(':') + options);
    }
    return environment;
}

// How one helper run ended.
struct ChildEnd {
    QString sessionId;
    bool crashed = false;
    int signal = 0; // the terminating signal when crashed
    QByteArray output;
    QByteArray errors;
};

// Runs the helper with `arguments`; `beforeGo(sessionId, process)` runs once it told its
// session, before it is let go (crash roles wait for a line on stdin).
template <class BeforeGo>
ChildEnd RunChild(const QStringList& arguments, BeforeGo beforeGo,
                  const QProcessEnvironment& environment = ChildEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TALVEX_SESSION_HELPER), arguments);
    ChildEnd end;
    while (process.waitForReadyRead(15000) && !process.canReadLine()) {
    }
    end.output = process.readLine();
    if (end.output.startsWith("session ")) {
        end.sessionId = QString::fromUtf8(end.output.mid(8).trimmed());
        beforeGo(end.sessionId, process);
    }
    process.write("go\n");
    process.closeWriteChannel();
    EXPECT_TRUE(process.state() == QProcess::NotRunning || process.waitForFinished(30000))
        << "helper still running: " << arguments.join(' ').toStdString();
    end.output += process.readAllStandardOutput();
    end.errors = process.readAllStandardError();
    end.crashed = process.exitStatus() == QProcess::CrashExit;
    end.signal = end.crashed ? process.exitCode() : 0;
    return end;
}

inline ChildEnd RunChild(const QStringList& arguments)
{
    return RunChild(arguments, [](const QString&, QProcess&) {});
}

// What the "report" role printed: crashed sessions and, per session, the report of the
// first and of the second call.
struct NextStart {
    QStringList crashed;
    QMap<QString, QStringList> reports;
    QByteArray errors;
};

inline NextStart RunNextStart(const QProcessEnvironment& environment = ChildEnvironment())
{
    const ChildEnd end = RunChild(
        {QStringLiteral("report")}, [](const QString&, QProcess&) {}, environment);
    NextStart next;
    next.errors = end.errors;
    QString current;
    QString text;
    for (const QByteArray& line : end.output.split('\n')) {
        const QString decoded = QString::fromUtf8(line);
        if (current.isEmpty() && decoded.startsWith(QLatin1String("crashed "))) {
            next.crashed << decoded.mid(8);
        } else if (current.isEmpty() && decoded.startsWith(QLatin1String("report "))) {
            current = decoded.mid(7);
            text.clear();
        } else if (!current.isEmpty() && decoded == QLatin1String("end ") + current) {
            next.reports[current] << text;
            current.clear();
        } else if (!current.isEmpty()) {
            text += decoded + QLatin1Char('\n');
        }
    }
    return next;
}

} // namespace Talvex::Test
