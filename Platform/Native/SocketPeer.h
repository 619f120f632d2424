#pragma once

#include <sys/types.h>

namespace Talvex::Native {

// The user of the process at the other end of a connected local socket, as the kernel
// recorded it when the connection was made. False when it cannot be asked.
bool PeerUser(int descriptor, uid_t* user);

// True when the other end runs as our own user: whatever a local socket's name and
// folder say, only this tells who is really talking.
bool PeerIsOurUser(int descriptor);

// Waits, through signals, until `events` can happen on `descriptor` or `milliseconds`
// have passed: the events seen, 0 at the time-out, -1 on an error.
int PollFor(int descriptor, short events, int milliseconds);

} // namespace Talvex::Native
