#include "Platform/Core/Version.h"

#include "Platform/Logging/LogLine.h"

#include <array>
#include <limits>
#include <tuple>

namespace Talvex::Core {

namespace {

bool ParseNumber(const std::string& text, std::size_t& at, unsigned int& value)
{
    const std::size_t start = at;
    unsigned long long number = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        number = number * 10 + static_cast<unsigned>(text[at] - '0');
        if (number > std::numeric_limits<unsigned int>::max()) {
            return false;
        }
        ++at;
    }
    value = static_cast<unsigned int>(number);
    return at > start;
}

} // namespace

Version::Version(unsigned int majorPart, unsigned int minorPart, unsigned int buildPart, unsigned int revisionPart)
    : major{majorPart}, minor{minorPart}, build{buildPart}, revision{revisionPart}
{
}

Version::Version(const std::string& text)
{
    if (!Parse(text, *this)) {
        TALVEX_LOG(ERROR) << "Malformed version text \"" << text << "\"";
    }
}

bool Version::Parse(const std::string& text, Version& result)
{
    std::array<unsigned int, 4> parts{};
    std::size_t at = 0;
    for (std::size_t index = 0; index < parts.size(); ++index) {
        if (!ParseNumber(text, at, parts[index])) {
            return false;
        }
        if (at == text.size()) {
            result = Version(parts[0], parts[1], parts[2], parts[3]);
            return true;
        }
        if (text[at] != '.') {
            return false;
        }
        ++at;
    }
    return false;
}

bool operator==(const Version& a, const Version& b)
{
    return std::tie(a.major, a.minor, a.build, a.revision) == std::tie(b.major, b.minor, b.build, b.revision);
}

bool operator!=(const Version& a, const Version& b)
{
    return !(a == b);
}

bool operator<(const Version& a, const Version& b)
{
    return std::tie(a.major, a.minor, a.build, a.revision) < std::tie(b.major, b.minor, b.build, b.revision);
}

} // namespace Talvex::Core
