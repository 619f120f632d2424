#pragma once

#include <TalvexExport.h>

#include <QString>

#include <string>

namespace Talvex::Native {

// Writes a plain-text report when this process crashes (SIGSEGV, SIGBUS, SIGILL, SIGFPE,
// SIGABRT, and std::terminate, which ends in SIGABRT), then lets the process die as it
// would have: the default action of the signal runs, so the exit status and any core
// dump are those of the crash. SIGTERM and SIGINT are left alone.
//
// The report goes to "<folder>/<session id>.txt" (0600), created at the crash in a
// folder opened at installation, never through a link and never over a file that is
// already there: the first report of a session wins, and a name taken by anything else
// means no report. It holds the session, product and library, the time, the signal and
// address (or the exception), the crashing thread, its stack as module, offset and
// build id per frame, and the last log lines; at most MAX_REPORT_SIZE bytes. Names of
// functions are not looked up at the crash (that would not be safe there): a later
// reader resolves them from the frames (CrashSymbolizer).
//
// Process-wide. Install, Uninstall and the setters run on one thread (the GUI thread);
// the handler itself runs on whichever thread crashed, on an alternate signal stack
// when that thread was prepared with PrepareThread, so that a stack overflow is reported
// too. When two threads crash at once, one writes the report and the other waits for
// the process to end.
class TALVEX_EXPORT CrashHandler {
public:
    static constexpr size_t MAX_REPORT_SIZE = 256 * 1024;
    // Marks a complete report; one without it was cut short.
    static const char END_MARKER[];

    // Opens `folder`, which the caller has checked to be ours, and installs the
    // handlers, remembering the ones in place to restore them. The calling thread gets
    // an alternate stack. False, with the reason in `problem`, when the folder cannot be
    // opened; nothing is installed then. A second call replaces the first.
    static bool Install(const QString& folder, const std::string& sessionId, const std::string& libraryVersion,
                        QString* problem);
    // Puts back the handlers found at installation and closes the folder.
    static void Uninstall();

    // The product named in later reports.
    static void SetProduct(const std::string& name, const std::string& version);
    // Gives the calling thread an alternate signal stack for as long as it runs, unless
    // it already has one.
    static void PrepareThread();

    // Writes the report of a hung process: `reason` in place of the signal, and the given
    // frames of the thread `threadId` named `threadName`. A crash after it (the abort
    // that ends the hang) leaves this report as it is. False when no report could be
    // written (not installed, a report exists, the folder refused it).
    static bool WriteHangReport(const char* reason, void* const* frames, int count, long threadId,
                                const char* threadName);
};

} // namespace Talvex::Native
