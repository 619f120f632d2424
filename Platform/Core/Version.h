#pragma once

#include <TalvexExport.h>

#include <string>

namespace Talvex::Core {

// A product version "major.minor.build.revision". Parts not given are 0.
struct TALVEX_EXPORT Version {
    Version() = default;
    Version(unsigned int majorPart, unsigned int minorPart, unsigned int buildPart = 0, unsigned int revisionPart = 0);
    // Reads up to four dot-separated numbers ("20.1.2"). Text that is not such a list
    // (letters, empty parts, more than four parts, out-of-range numbers) gives 0.0.0.0
    // and an error line in the log.
    explicit Version(const std::string& text);

    // Like the constructor, but says whether the text was well formed and leaves
    // `result` untouched when it was not.
    static bool Parse(const std::string& text, Version& result);

    unsigned int major = 0;
    unsigned int minor = 0;
    unsigned int build = 0;
    unsigned int revision = 0;
};

TALVEX_EXPORT bool operator==(const Version& a, const Version& b);
TALVEX_EXPORT bool operator!=(const Version& a, const Version& b);
TALVEX_EXPORT bool operator<(const Version& a, const Version& b);

} // namespace Talvex::Core
