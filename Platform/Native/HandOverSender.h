#pragma once

#include "Platform/Native/InstanceClaim.h"

#include <TalvexExport.h>

#include <QByteArray>
#include <QString>

#include <chrono>
#include <memory>

namespace Talvex::Native {

// A launch's side of the meeting: it takes the claim when nobody holds it, or hands
// its message to the holder. The holder must acknowledge the whole message and is then
// told to go ahead; a holder that is stopped or hung (connecting and writing to it both
// succeed) never gets that word, so it cannot act on a launch that has already started
// on its own. Blocking POSIX calls only: it runs before any Qt application exists.
class TALVEX_EXPORT HandOverSender {
public:
    enum class Result {
        Claimed,    // this process is the running instance now
        HandedOver, // the running instance took the message
        NoAnswer,   // nobody answered within the bound
        Refused,    // the holder closed on the message twice without answering
        Foreign,    // the name is held by something that is not our own instance
        Impossible, // no claim can be taken here (see Problem)
    };
    static constexpr int DEFAULT_BOUND_MS = 1000;

    HandOverSender(QString socketPath, QByteArray message, int boundMs = DEFAULT_BOUND_MS);

    Result Run();
    // The claim, after Claimed.
    std::unique_ptr<InstanceClaim> TakeClaim() { return std::move(claim); }
    // Why the last attempt failed, for the caller's log line.
    QString Problem() const { return problem; }

private:
    enum class Attempt { Done, Retry, Stop };
    Attempt TryOnce();
    Attempt HandOver(int descriptor);
    bool SendAll(int descriptor, const char* data, std::size_t size);
    int ReceiveByte(int descriptor);
    int MillisecondsLeft() const;

    QString socketPath;
    QByteArray message;
    std::chrono::steady_clock::time_point deadline;
    std::unique_ptr<InstanceClaim> claim;
    Result result = Result::NoAnswer;
    int closedWithoutAnswer = 0;
    QString problem;
};

} // namespace Talvex::Native
