// Real helper runs that crash each way, then a next start that lists them and reads
// their reports, as a product would.
#include "CrashChild.h"

#include "Platform/Native/CrashHandler.h"
#include "Platform/Native/CrashSymbolizer.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Talvex::Test;

namespace {

class CrashReportsOfCrashedRuns : public ::testing::Test {
protected:
    void SetUp() override { QDir(QFileInfo(HelperSessionFile()).absolutePath()).removeRecursively(); }
    void TearDown() override
    {
        QFile::setPermissions(HelperCrashFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

struct Expected {
    const char* kind;
    int signal;
    const char* signalName;
    const char* function;
};

const Expected KINDS[] = {
    {"null-write", SIGSEGV, "SIGSEGV", "CrashByNullWrite"},
    {"abort", SIGABRT, "SIGABRT", "CrashByAbort"},
    {"exception", SIGABRT, "SIGABRT", "CrashByUncaughtException"},
    {"division", SIGFPE, "SIGFPE", "CrashByDivision"},
    {"recursion", SIGSEGV, "SIGSEGV", "CrashByRecursion"},
    {"worker", SIGSEGV, "SIGSEGV", "WorkerCrashByNullWrite"},
    {"null-call", SIGSEGV, "SIGSEGV", "CrashByNullCall"},
    {"far-library", SIGSEGV, "SIGSEGV", "CrashInAFarLibrary"},
    {"late-library", SIGSEGV, "SIGSEGV", "CrashInALateLibrary"},
};

int CountOf(const QString& text, const QString& part)
{
    return text.split(part).size() - 1;
}

TEST_F(CrashReportsOfCrashedRuns, EachWayOfCrashingLeavesAReportNamingTheSignalAndTheCrashingFunction)
{
    QMap<QString, Expected> sessions;
    for (const Expected& expected : KINDS) {
        const ChildEnd end = RunChild({QStringLiteral("crash"), QLatin1String(expected.kind)});
        ASSERT_FALSE(end.sessionId.isEmpty()) << expected.kind << end.errors.toStdString();
        EXPECT_TRUE(end.crashed) << expected.kind;
        EXPECT_EQ(end.signal, expected.signal) << expected.kind;
        sessions.insert(end.sessionId, expected);
    }
    const NextStart next = RunNextStart();
    for (auto session = sessions.cbegin(); session != sessions.cend(); ++session) {
        const Expected& expected = session.value();
        SCOPED_TRACE(expected.kind);
        EXPECT_TRUE(next.crashed.contains(session.key()));
        ASSERT_EQ(next.reports.value(session.key()).size(), 2);
        const QString report = next.reports.value(session.key()).first();
        EXPECT_EQ(report, next.reports.value(session.key()).last()) << "a second call reads differently";
        EXPECT_TRUE(report.contains(QStringLiteral("Session: ") + session.key()));
        EXPECT_TRUE(report.contains(QStringLiteral("Signal: ") + QLatin1String(expected.signalName)))
            << report.toStdString();
        EXPECT_TRUE(report.contains(QLatin1String(expected.function))) << report.toStdString();
        // No product was named before these crashes.
        EXPECT_TRUE(report.contains(QStringLiteral("Product: (not set yet)")));
        EXPECT_TRUE(report.contains(QStringLiteral("helper about to crash: ") + QLatin1String(expected.kind)));
        EXPECT_TRUE(report.contains(QStringLiteral("End of report")));
        EXPECT_FALSE(report.contains(QStringLiteral("ends here")));
    }
}

TEST_F(CrashReportsOfCrashedRuns, TheReportNamesTheExceptionAndTheCrashingThread)
{
    const ChildEnd thrown = RunChild({QStringLiteral("crash"), QStringLiteral("exception")});
    const ChildEnd worker = RunChild({QStringLiteral("crash"), QStringLiteral("worker")});
    const NextStart next = RunNextStart();
    const QString exception = next.reports.value(thrown.sessionId).value(0);
    EXPECT_TRUE(exception.contains(QStringLiteral("Exception: std::runtime_error: helper threw on purpose")))
        << exception.toStdString();
    const QString crashedWorker = next.reports.value(worker.sessionId).value(0);
    EXPECT_TRUE(crashedWorker.contains(QStringLiteral("Thread: crash-worker"))) << crashedWorker.toStdString();
}

TEST_F(CrashReportsOfCrashedRuns, ASignalTheProcessSentItselfNamesTheSenderNotAFaultingAddress)
{
    qint64 pid = 0;
    const ChildEnd aborted = RunChild({QStringLiteral("crash"), QStringLiteral("abort")},
                                      [&](const QString&, QProcess& process) { pid = process.processId(); });
    const ChildEnd faulted = RunChild({QStringLiteral("crash"), QStringLiteral("null-write")});
    const NextStart next = RunNextStart();
    const QString abortReport = next.reports.value(aborted.sessionId).value(0);
    EXPECT_TRUE(abortReport.contains(QStringLiteral(", sent by process %1\n").arg(pid))) << abortReport.toStdString();
    EXPECT_FALSE(abortReport.contains(QStringLiteral(", address 0x")));
    const QString faultReport = next.reports.value(faulted.sessionId).value(0);
    EXPECT_TRUE(faultReport.contains(QStringLiteral(", address 0x0\n"))) << faultReport.toStdString();
}

TEST_F(CrashReportsOfCrashedRuns, AHandlerTurnedOffAndOnAgainStillNamesTheProduct)
{
    const ChildEnd end = RunChild({QStringLiteral("crash"), QStringLiteral("null-write"), QStringLiteral("reenable")});
    EXPECT_EQ(end.signal, SIGSEGV);
    const QString report = RunNextStart().reports.value(end.sessionId).value(0);
    EXPECT_TRUE(report.contains(QStringLiteral("Product: Crash Helper 2.5\n"))) << report.toStdString();
}

TEST_F(CrashReportsOfCrashedRuns, AMessageOrLogLineQuotingAStackCannotPassForTheReportsOwnLines)
{
    const ChildEnd end = RunChild({QStringLiteral("crash"), QStringLiteral("exception-text")});
    EXPECT_EQ(end.signal, SIGABRT);
    const QString report = RunNextStart().reports.value(end.sessionId).value(0);
    EXPECT_TRUE(report.contains(QStringLiteral("Exception: std::runtime_error: thrown with a stack of its own: Stack: "
                                               "#0 0x1 +0x1 build-id none /nowhere \u20ac")))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("] a log line of several lines:\n  | Thread: planted (id 1)\n"
                                               "  | Stack:\n  | #0 0x1 +0x1 build-id none /planted\n"
                                               "  | Thread: separated (id 2)\n  | Stack:\n"
                                               "  | #0 0x2 +0x2 build-id none /separated\n")))
        << report.toStdString();
    // As a viewer shows it: Qt's text widgets, for one, also break lines at these.
    const QStringList shown =
        report.split(QRegularExpression(QStringLiteral("\r\n|[\n\r\v\f\\x{85}\\x{2028}\\x{2029}]")));
    const QRegularExpression ownLine(QStringLiteral("^(Thread: |Stack:$|#0 )"));
    EXPECT_EQ(shown.filter(ownLine).size(), 2) << "only the real thread and its first frame";
    EXPECT_FALSE(report.contains(QLatin1Char('\r')));
    EXPECT_TRUE(report.contains(QStringLiteral("ThrowAMessageWithAStackInIt"))) << report.toStdString();
    // Cuts at the size limits of the message and of the log lines keep whole characters.
    EXPECT_FALSE(report.contains(QChar::ReplacementCharacter)) << report.toStdString();
}

TEST_F(CrashReportsOfCrashedRuns, TheExitStatusIsTheOneTheCrashGivesWithoutTheHandlerAndSigtermIsLeftAlone)
{
    for (const char* kind : {"null-write", "abort"}) {
        const ChildEnd without = RunChild({QStringLiteral("crash"), QLatin1String(kind), QStringLiteral("off")});
        const ChildEnd with = RunChild({QStringLiteral("crash"), QLatin1String(kind)});
        EXPECT_TRUE(without.crashed && with.crashed) << kind;
        EXPECT_EQ(with.signal, without.signal) << kind;
    }
    // SIGTERM is a request to stop, not a crash: it ends the process untouched.
    const ChildEnd terminated =
        RunChild({QStringLiteral("crash"), QStringLiteral("abort")}, [](const QString&, QProcess& process) {
            process.terminate();
            process.waitForFinished(15000);
        });
    EXPECT_EQ(terminated.signal, SIGTERM);
    // Turned off, the handler wrote nothing; nor did the terminated run.
    EXPECT_EQ(QDir(HelperCrashFolder()).entryList(QDir::Files).size(), 2);
}

TEST_F(CrashReportsOfCrashedRuns, TwoThreadsCrashingAtOnceLeaveOneWholeReport)
{
    const ChildEnd end = RunChild({QStringLiteral("crash"), QStringLiteral("two-threads")});
    EXPECT_EQ(end.signal, SIGSEGV);
    const QString report = RunNextStart().reports.value(end.sessionId).value(0);
    EXPECT_EQ(CountOf(report, QStringLiteral("Crash report\n")), 1) << report.toStdString();
    EXPECT_EQ(CountOf(report, QStringLiteral("Signal: ")), 1);
    EXPECT_TRUE(report.endsWith(QStringLiteral("End of report\n\n"))) << report.toStdString();
}

TEST_F(CrashReportsOfCrashedRuns, AHangReportHasTheGuiThreadsStackNotTheWatchersAbort)
{
    const ChildEnd end = RunChild({QStringLiteral("hang"), QStringLiteral("0.3")});
    EXPECT_EQ(end.signal, SIGABRT);
    const QString report = RunNextStart().reports.value(end.sessionId).value(0);
    EXPECT_TRUE(report.contains(QStringLiteral("Hang: crash time-out of 0.300 s reached"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("HangInGuiThread"))) << report.toStdString();
    EXPECT_FALSE(report.contains(QStringLiteral("Signal: SIGABRT")));
    EXPECT_FALSE(report.contains(QStringLiteral("CrashTimeout::Fire")));
}

TEST_F(CrashReportsOfCrashedRuns, AModuleRebuiltOrGoneSinceTheCrashGetsNoNamesAndSaysWhich)
{
    const ChildEnd end = RunChild({QStringLiteral("crash"), QStringLiteral("null-write")});
    QFile file(HelperCrashFolder() + QLatin1Char('/') + end.sessionId + QStringLiteral(".txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString raw = QString::fromUtf8(file.readAll());
    EXPECT_FALSE(raw.contains(QStringLiteral("CrashByNullWrite"))) << "names are not looked up at the crash";
    ASSERT_TRUE(Talvex::Native::ResolveCrashReport(raw.toStdString()).find("CrashByNullWrite") != std::string::npos);
    raw.replace(QRegularExpression(QStringLiteral("build-id [0-9a-f]+")), QStringLiteral("build-id 0123abcd"));
    const std::string resolved = Talvex::Native::ResolveCrashReport(raw.toStdString());
    EXPECT_EQ(resolved.find("CrashByNullWrite"), std::string::npos);
    EXPECT_NE(resolved.find("the module changed since the crash"), std::string::npos);
    raw.replace(QRegularExpression(QStringLiteral("build-id 0123abcd /")), QStringLiteral("build-id 0123abcd /gone/"));
    const std::string gone = Talvex::Native::ResolveCrashReport(raw.toStdString());
    EXPECT_NE(gone.find("the module's file was not found"), std::string::npos) << gone;
    EXPECT_EQ(gone.find("the module changed since the crash"), std::string::npos);
}

TEST_F(CrashReportsOfCrashedRuns, AStartWithoutTheNameReaderReadsReportsThatSayNamesWereNotAvailable)
{
    const ChildEnd end = RunChild({QStringLiteral("crash"), QStringLiteral("null-write")});
    ASSERT_TRUE(end.crashed);
    QTemporaryDir alone;
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(TALVEX_LIBRARY_FILE), alone.filePath(QStringLiteral(TALVEX_LIBRARY_SONAME))));
    const QByteArray searched = qgetenv("LD_LIBRARY_PATH");
    qputenv("LD_LIBRARY_PATH", alone.path().toLocal8Bit());
    const NextStart next = RunNextStart();
    qputenv("LD_LIBRARY_PATH", searched);
    const QString report = next.reports.value(end.sessionId).value(0);
    EXPECT_TRUE(report.contains(QStringLiteral("Stack (names not available: "))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("Signal: SIGSEGV"))) << report.toStdString();
    EXPECT_FALSE(report.contains(QStringLiteral("CrashByNullWrite")));
    EXPECT_TRUE(next.errors.contains("A part of the library could not be loaded: ")) << next.errors.toStdString();
    EXPECT_TRUE(next.errors.contains(alone.path().toLocal8Bit())) << next.errors.toStdString();
}

TEST_F(CrashReportsOfCrashedRuns, AReportThatNamesWouldMakeTooLongKeepsToTheLimitAndReadsTheSameTwice)
{
    const ChildEnd end = RunChild({QStringLiteral("crash"), QStringLiteral("null-write")});
    QFile file(HelperCrashFolder() + QLatin1Char('/') + end.sessionId + QStringLiteral(".txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray raw = file.readAll();
    file.close();
    const QByteArray marker(Talvex::Native::CrashHandler::END_MARKER);
    ASSERT_TRUE(raw.endsWith(marker));
    // Log lines filling the report so far that its names would take it over the limit.
    const int limit = static_cast<int>(Talvex::Native::CrashHandler::MAX_REPORT_SIZE);
    const int names = static_cast<int>(Talvex::Native::ResolveCrashReport(raw.toStdString()).size()) - raw.size();
    QByteArray filler(limit + 100 - names - raw.size(), 'x');
    for (int lineEnd = 79; lineEnd < filler.size(); lineEnd += 80) {
        filler[lineEnd] = '\n';
    }
    filler[filler.size() - 1] = '\n';
    raw.insert(raw.size() - marker.size(), filler);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(raw) == raw.size());
    file.close();

    const QStringList reports = RunNextStart().reports.value(end.sessionId);
    ASSERT_EQ(reports.size(), 2);
    EXPECT_EQ(reports.first(), reports.last()) << "a second call reads differently";
    EXPECT_LE(reports.first().toUtf8().size() - 1, limit);
    EXPECT_TRUE(reports.first().endsWith(QStringLiteral("End of report\n\n")));
    EXPECT_TRUE(reports.first().contains(QStringLiteral("CrashByNullWrite")));
}

TEST_F(CrashReportsOfCrashedRuns, AFolderOrReportPlantedAsALinkGetsNoReportAndIsNotFollowed)
{
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("target.txt"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(HelperSessionFile()).absolutePath()));
    ASSERT_TRUE(QDir().mkpath(HelperCrashFolder()));
    QFile::setPermissions(HelperCrashFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const ChildEnd planted =
        RunChild({QStringLiteral("crash"), QStringLiteral("null-write")}, [&](const QString& id, QProcess&) {
            QFile::link(target, HelperCrashFolder() + QLatin1Char('/') + id + QStringLiteral(".txt"));
        });
    EXPECT_EQ(planted.signal, SIGSEGV);
    EXPECT_FALSE(QFile::exists(target));
    const NextStart next = RunNextStart();
    EXPECT_TRUE(next.crashed.contains(planted.sessionId));
    EXPECT_EQ(next.reports.value(planted.sessionId).value(0), QStringLiteral("\n"));
    EXPECT_TRUE(next.errors.contains("is left alone")) << next.errors.toStdString();
    EXPECT_FALSE(QFile::exists(target));

    ASSERT_TRUE(QDir(HelperCrashFolder()).removeRecursively());
    ASSERT_TRUE(QFile::link(elsewhere.path(), HelperCrashFolder()));
    const ChildEnd linked = RunChild({QStringLiteral("crash"), QStringLiteral("null-write")});
    EXPECT_EQ(linked.signal, SIGSEGV);
    EXPECT_TRUE(QDir(elsewhere.path()).entryList(QDir::Files).isEmpty());
    const NextStart afterLink = RunNextStart();
    EXPECT_TRUE(afterLink.crashed.contains(linked.sessionId));
    EXPECT_TRUE(afterLink.errors.contains("Crash reports are not kept")) << afterLink.errors.toStdString();
}

TEST_F(CrashReportsOfCrashedRuns, AFullDiskStillEndsTheProcessWithItsOwnSignalAndItsEmptyReportReadsAsCut)
{
    const ChildEnd end = RunChild({QStringLiteral("crash"), QStringLiteral("division"), QStringLiteral("full")});
    EXPECT_TRUE(end.crashed);
    EXPECT_EQ(end.signal, SIGFPE);
    // The file was made, but not one byte of it written.
    const QString report = RunNextStart().reports.value(end.sessionId).value(0);
    EXPECT_TRUE(report.contains(QStringLiteral("the process was stopped while writing it"))) << report.toStdString();
    EXPECT_FALSE(report.contains(QStringLiteral("Crash report"))) << report.toStdString();
}

// The folder turns read-only after the handler got ready, so only the crash finds out.
TEST_F(CrashReportsOfCrashedRuns, AReadOnlyFolderStillEndsTheProcessWithItsOwnSignalAndTheNextStartSaysSo)
{
    const ChildEnd end = RunChild({QStringLiteral("crash"), QStringLiteral("null-write"), QStringLiteral("read-only")},
                                  [](const QString&, QProcess&) {
                                      QFile::setPermissions(HelperCrashFolder(), QFile::ReadOwner | QFile::ExeOwner);
                                  });
    EXPECT_TRUE(end.crashed);
    EXPECT_EQ(end.signal, SIGSEGV);
    EXPECT_TRUE(QDir(HelperCrashFolder()).entryList(QDir::Files).isEmpty());
    const NextStart next = RunNextStart();
    EXPECT_TRUE(next.crashed.contains(end.sessionId));
    EXPECT_EQ(next.reports.value(end.sessionId).value(0), QStringLiteral("\n"));
    const QString error = QStringLiteral("No crash reports for this run: ") + HelperCrashFolder() +
                          QStringLiteral(": it is not writable");
    EXPECT_TRUE(next.errors.contains(error.toUtf8())) << next.errors.toStdString();
}

TEST_F(CrashReportsOfCrashedRuns, ACrashInALibraryLoadedWhereAClosedOneWasNamesTheLibraryLoadedThere)
{
    const ChildEnd end = RunChild({QStringLiteral("crash"), QStringLiteral("reused-address")});
    EXPECT_EQ(end.signal, SIGSEGV);
    const QString report = RunNextStart().reports.value(end.sessionId).value(0);
    // Both libraries ask for this address, so the closed one was there before.
    EXPECT_TRUE(report.contains(QRegularExpression(QStringLiteral("\n#0 0x2000[0-9a-f]{4} ")))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("CrashInALateLibrary"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QFileInfo(QStringLiteral(TALVEX_LATE_LIBRARY)).fileName()));
    EXPECT_FALSE(report.contains(QFileInfo(QStringLiteral(TALVEX_GONE_LIBRARY)).fileName()));
}

// What another user may put where a crashed program's files were once that program is
// gone (it ran from a folder under /tmp), or what a careless copy leaves.
enum class Plant { Nothing, Fifo, OthersFile, GroupWritable, OthersLink };

uid_t NobodysId()
{
    const passwd* entry = getpwnam("nobody");
    return entry ? entry->pw_uid : 0;
}

bool PlantAt(const QString& path, Plant plant)
{
    const QByteArray name = QFile::encodeName(path);
    switch (plant) {
    case Plant::Nothing:
        return true;
    case Plant::Fifo:
        return QFile::remove(path) && mkfifo(name.constData(), 0666) == 0;
    case Plant::OthersFile:
        return chown(name.constData(), NobodysId(), NobodysId()) == 0;
    case Plant::GroupWritable:
        return chmod(name.constData(), 0775) == 0;
    case Plant::OthersLink:
        return QFile::rename(path, path + QStringLiteral(".real")) &&
               symlink(QFile::encodeName(path + QStringLiteral(".real")).constData(), name.constData()) == 0 &&
               lchown(name.constData(), NobodysId(), NobodysId()) == 0;
    }
    return false;
}

// A copy of `library` without its debug information; given a `debugFile`, that
// information goes there, named by the copy's debug link.
bool StripDebugInformation(const QString& library, const QString& copy, const QString& debugFile = QString())
{
    const QString objcopy = QStringLiteral("objcopy");
    QStringList strip{QStringLiteral("--strip-debug"), library, copy};
    if (!debugFile.isEmpty()) {
        if (QProcess::execute(objcopy, {QStringLiteral("--only-keep-debug"), library, debugFile}) != 0) {
            return false;
        }
        strip.prepend(QStringLiteral("--add-gnu-debuglink=") + debugFile);
    }
    return QProcess::execute(objcopy, strip) == 0;
}

bool CanStrip()
{
    return !QStandardPaths::findExecutable(QStringLiteral("objcopy")).isEmpty();
}

TEST_F(CrashReportsOfCrashedRuns, WhatOthersPutInPlaceOfAModuleOrItsDebugFileGivesNoNamesAndReadingDoesNotWait)
{
    if (!CanStrip()) {
        GTEST_SKIP() << "objcopy is needed to split off the debug information";
    }
    struct Run {
        QString sessionId;
        Plant plant;
        bool inDebugFile;
    };
    std::vector<Run> runs;
    QTemporaryDir folder;
    for (const bool inDebugFile : {false, true}) {
        for (const Plant plant :
             {Plant::Nothing, Plant::Fifo, Plant::OthersFile, Plant::GroupWritable, Plant::OthersLink}) {
            // Only root can give a file away.
            if ((plant == Plant::OthersFile || plant == Plant::OthersLink) && (geteuid() != 0 || NobodysId() == 0)) {
                continue;
            }
            const QString copy = folder.filePath(QStringLiteral("%1/libcopied.so").arg(runs.size()));
            const QString debugFile = QFileInfo(copy).absolutePath() + QStringLiteral("/libcopied.debug");
            ASSERT_TRUE(QDir().mkpath(QFileInfo(copy).absolutePath()));
            const QString library = QStringLiteral(TALVEX_LATE_LIBRARY);
            ASSERT_TRUE(inDebugFile ? StripDebugInformation(library, copy, debugFile) : QFile::copy(library, copy));
            const ChildEnd end = RunChild({QStringLiteral("crash"), QStringLiteral("copied-library"), copy});
            ASSERT_EQ(end.signal, SIGSEGV) << end.errors.toStdString();
            ASSERT_TRUE(PlantAt(inDebugFile ? debugFile : copy, plant));
            runs.push_back({end.sessionId, plant, inDebugFile});
        }
    }
    QElapsedTimer reading;
    reading.start();
    const NextStart next = RunNextStart();
    EXPECT_LT(reading.elapsed(), 20000);
    for (const Run& run : runs) {
        SCOPED_TRACE(QStringLiteral("plant %1 in the %2")
                         .arg(static_cast<int>(run.plant))
                         .arg(run.inDebugFile ? "debug file" : "module")
                         .toStdString());
        const QString report = next.reports.value(run.sessionId).value(0);
        ASSERT_FALSE(report.isEmpty());
        // Only the debug information gives the source line; the function's name is also
        // in the stripped copy's own symbols.
        const QString named =
            run.inDebugFile ? QStringLiteral("LateLibrary.cpp:") : QStringLiteral("CrashInALateLibrary");
        EXPECT_EQ(report.contains(named), run.plant == Plant::Nothing) << report.toStdString();
        if (!run.inDebugFile && run.plant != Plant::Nothing) {
            EXPECT_TRUE(report.contains(QStringLiteral("is not a regular file of root's or ours")))
                << report.toStdString();
        }
    }
}

// A listener that never answers: anything that connects to it waits.
class SilentListener {
public:
    SilentListener()
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (bind(socket, reinterpret_cast<sockaddr*>(&address), size) == 0 && listen(socket, 16) == 0 &&
            getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
            port = ntohs(address.sin_port);
        }
    }
    ~SilentListener() { close(socket); }

    int Port() const { return port; }
    bool WasContacted() const
    {
        const int connection = accept4(socket, nullptr, nullptr, SOCK_NONBLOCK);
        if (connection >= 0) {
            close(connection);
        }
        return connection >= 0;
    }

private:
    int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int port = 0;
};

TEST_F(CrashReportsOfCrashedRuns, AReportIsReadWithoutAskingADebugInformationServer)
{
    if (!CanStrip()) {
        GTEST_SKIP() << "objcopy is needed to make a library without debug information";
    }
    SilentListener server;
    ASSERT_NE(server.Port(), 0);
    QTemporaryDir folder;
    // A module without debug information here is what a server would be asked about.
    const QString copy = folder.filePath(QStringLiteral("libstripped.so"));
    ASSERT_TRUE(StripDebugInformation(QStringLiteral(TALVEX_LATE_LIBRARY), copy));
    const ChildEnd end = RunChild({QStringLiteral("crash"), QStringLiteral("copied-library"), copy});
    QProcessEnvironment environment = ChildEnvironment();
    environment.insert(QStringLiteral("DEBUGINFOD_URLS"), QStringLiteral("http://127.0.0.1:%1/").arg(server.Port()));
    environment.insert(QStringLiteral("DEBUGINFOD_CACHE_PATH"), folder.filePath(QStringLiteral("cache")));
    QElapsedTimer reading;
    reading.start();
    const QString report = RunNextStart(environment).reports.value(end.sessionId).value(0);
    EXPECT_LT(reading.elapsed(), 20000);
    EXPECT_FALSE(server.WasContacted());
    EXPECT_TRUE(report.contains(QStringLiteral("CrashInALateLibrary"))) << report.toStdString();
}

} // namespace
