#pragma once

#include <QString>

#include <cerrno>
#include <cstring>

namespace Talvex::Native {

// The owned-file and owned-folder checks answer false with a reason for the caller's
// log line; these keep that answer the same everywhere.
inline bool Refuse(QString* problem, const QString& reason)
{
    if (problem) {
        *problem = reason;
    }
    return false;
}

// The text of the last system error, for such a reason.
inline QString SystemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace Talvex::Native
