#pragma once

#include <TalvexExport.h>

#include <QSettings>

#include <deque>
#include <string>

namespace Talvex::App {

// Tells that an earlier run of this executable ended without stopping its session.
//
// Every running instance keeps one record (its process id -> its session id) in an
// INI file shared by all instances of the executable, in the per-user data folder.
// Construction takes the records of processes that no longer run this executable,
// remembering their session ids as crashed, and writes this process's record; a
// normal stop removes it again. The crashes taken stay in the file, claimed by this
// process, until the list is handed over (BadSessionsList) or the session stops, so
// that a start killed before it reported them leaves them to the next start.
// Instances serialise their changes to the file with an inter-process guard; a start
// that cannot get it leaves the dead records to a later start. Errors of the file are
// not reported: at worst a crash goes unnoticed. Not thread-safe; use it from one
// thread.
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
};

} // namespace Talvex::App
