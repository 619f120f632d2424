#pragma once

#include <TalvexExport.h>

#include <QSettings>

#include <deque>
#include <memory>
#include <string>

class QTimer;

namespace Talvex::App {

// Tells that an earlier run of this executable ended without stopping its session.
//
// Every running instance keeps one record in an INI file shared by all instances of
// the executable, "<data folder>/Talvex/<product folder>/<executable>.ini". The file
// holds two kinds of entries:
//
//   [General]
//   <pid>=<session id>      one record per session that has not stopped: live
//                           instances, and runs that crashed or were killed
//   [<pid>]
//   0=<session id>          claims: the crashes that the start with process id <pid>
//   1=<session id>          took from dead records, numbered from 0, until the
//                           product has the list
//
// Construction takes the records of processes that no longer run this executable
// (and the claims of starts that died), remembering their session ids as crashed,
// moves them into its own claim and writes this process's record; a normal stop
// removes the record. The claim keeps the crashes in the file until the list is
// handed over (BadSessionsList) or the session stops, so that a start killed before
// it reported them leaves them to the next start; while the claimant runs, other
// starts leave its claim alone.
//
// Instances serialise their changes to the file with an inter-process guard; a start
// that cannot get it leaves the dead records to a later start. The file is never
// saved through a link, nor in a folder that another user owns or may write to: such
// a file is neither read nor written, and an ERROR names it; the session then goes
// untracked. Other errors of the file are not reported: at worst a crash goes
// unnoticed. Not thread-safe; use it from one thread, the GUI thread in practice.
class TALVEX_EXPORT CrashTracker {
public:
    CrashTracker();
    // Removes this process's record.
    ~CrashTracker();

    CrashTracker(const CrashTracker&) = delete;
    CrashTracker& operator=(const CrashTracker&) = delete;

    // Removes this process's record, so this run no longer counts as crashed.
    void StopSession();
    bool HasUnreportedCrash() const;
    // Session ids of earlier runs that did not stop, in the order they were found.
    // The first call hands them over: no other start will report them from then on.
    // It never waits for the guard: while another instance holds it, the claim stays in
    // the file and is given up from a later turn of the event loop, at the latest when
    // the session stops.
    std::deque<std::string> BadSessionsList() const;
    // Forgets the crashed sessions and empties the whole file, this run's record
    // included: a crash of this run is no longer detected afterwards.
    void ClearHistory();
    // "yyMMdd-HHmmss-NNNNNN", local time of construction and a random suffix.
    std::string SessionId() const;

private:
    void StartSession();
    // Sweeps dead records and claims; with `othersToo` false, only those under our id.
    void CollectDeadSessions(bool othersToo);
    void WriteClaim();
    void ReleaseClaim() const;
    void ReleaseClaimLater() const;
    // Whether the file may be saved now; logs an ERROR naming it when not.
    bool StoreIsSafe() const;
    void RemoveOwnRecord();

    // Mutable because handing the list over, a read for the caller, releases the claim.
    mutable QSettings sessionStore;
    std::string sessionId;
    std::deque<std::string> badSessions;
    // Whether this process's record may still be in the file: once stopped (or cleared)
    // the destructor has nothing to remove and spares the file another durable write.
    bool recorded = false;
    // Whether the crashes in `badSessions` are still claimed in the file, not yet
    // handed over to the product.
    mutable bool claimed = false;
    // The one pending retry of ReleaseClaim, made on first need; it ends with the tracker.
    mutable std::unique_ptr<QTimer> claimRetry;
};

} // namespace Talvex::App
