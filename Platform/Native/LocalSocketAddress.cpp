#include "Platform/Native/LocalSocketAddress.h"

#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace Talvex::Native {

LocalSocketAddress::LocalSocketAddress(const QByteArray& path)
{
    address.sun_family = AF_UNIX;
    if (Set(path)) {
        return;
    }
    const int slash = path.lastIndexOf('/');
    if (slash < 0) {
        return;
    }
    folder = ::open(path.left(qMax(slash, 1)).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        Set("/proc/self/fd/" + QByteArray::number(folder) + path.mid(slash));
    }
}

LocalSocketAddress::~LocalSocketAddress()
{
    if (folder >= 0) {
        ::close(folder);
    }
}

bool LocalSocketAddress::Set(const QByteArray& name)
{
    valid = !name.isEmpty() && static_cast<std::size_t>(name.size()) < sizeof(address.sun_path) && !name.contains('\0');
    if (valid) {
        std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()) + 1);
    }
    return valid;
}

} // namespace Talvex::Native
