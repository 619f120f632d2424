#include "Platform/Core/WstringFromUtf8.h"

#include <QString>

namespace Talvex::Core {

std::wstring WstringFromUtf8(const std::string& text)
{
    return QString::fromStdString(text).toStdWString();
}

} // namespace Talvex::Core
