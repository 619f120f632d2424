#include "Platform/Util/AppBits.h"

#include <climits>

namespace Talvex::Util {

std::string AppBits()
{
    return std::to_string(sizeof(void*) * CHAR_BIT);
}

} // namespace Talvex::Util
