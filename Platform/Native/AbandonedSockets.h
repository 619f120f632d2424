#pragma once

#include <QString>
#include <QStringList>

namespace Talvex::Native {

// Removes the socket names in `folder` that a process which died without cleaning up
// left behind: names made of one of `stems` and a decimal number, that are sockets
// owned by this user and that no process listens on any more. Anything else there
// (files of other kinds, other users' sockets, links, names in use) is left alone,
// and nothing is followed. `folder` must be a private folder of ours; when it is not,
// or when the system cannot tell which sockets are in use, nothing is removed.
// Returns how many names were removed; only a failure to tell which sockets are in use
// is logged.
int RemoveAbandonedSockets(const QString& folder, const QStringList& stems);

} // namespace Talvex::Native
