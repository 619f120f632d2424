#pragma once

#include <TalvexExport.h>

#include <QString>

#include <memory>
#include <string>

namespace Talvex::Native {

// The claim to be a product's one running instance in this user's graphical session:
// an exclusive flock on an owner-only lock file plus a socket listening beside it, in
// the per-user runtime folder (the pipes' folder). Both belong to the process: a killed
// holder leaves a lock the system has dropped and a socket name nobody listens on, which
// the next holder replaces. Descriptors are closed on exec, so a started program never
// inherits the claim.
class TALVEX_EXPORT InstanceClaim {
public:
    enum class Outcome { Taken, HeldElsewhere, Impossible };

    // The socket where the instances of `codeName` meet: per product and per session (the
    // Wayland socket when there is one, else the X display with its screen left out).
    // Empty, with the reason, when the runtime folder is not a private folder of ours.
    // However long the path, it is bound and connected to through its folder.
    static QString SocketPath(const std::string& codeName, QString* problem);
    // The lock file that goes with a socket path.
    static QString LockPathFor(const QString& socketPath);

    // Takes the claim unless another process holds it; listens on `socketPath` once taken.
    // Null unless Taken; with Impossible, `problem` says why.
    static std::unique_ptr<InstanceClaim> TryTake(const QString& socketPath, Outcome* outcome, QString* problem);

    // Stops listening, removes the socket name while it is still ours, drops the lock.
    ~InstanceClaim();
    InstanceClaim(const InstanceClaim&) = delete;
    InstanceClaim& operator=(const InstanceClaim&) = delete;

    int ListeningDescriptor() const { return listener; }
    QString Path() const { return path; }

private:
    InstanceClaim(int lock, int listener, QString path);

    int lock;
    int listener;
    QString path;
};

} // namespace Talvex::Native
