#pragma once

#include <TalvexExport.h>

#include <QString>

#include <string>

namespace Talvex {

// A copyable file-system path held as UTF-8 text. The separator is '/'; on Windows
// '\' is accepted as well and is what make_preferred produces there.
class TALVEX_EXPORT ioPath {
public:
    ioPath() = default;
    ioPath(const std::string& utf8);
    ioPath(const char* utf8);
    ioPath(const std::wstring& text);
    explicit ioPath(const QString& text);

    ioPath& operator=(const char* utf8);
    ioPath& operator/=(const ioPath& other);

    // Everything up to the last separator, without it; empty for a bare file name.
    ioPath parent_path() const;
    // Turns every separator into the platform's own in place.
    ioPath& make_preferred();

    bool empty() const { return path.empty(); }
    std::string utf8string() const { return path; }
    std::wstring wstring() const;
    QString ToQString() const;
    // The text in the encoding that the operating system expects for file names.
    std::string platformString() const;

    bool exists() const;
    // Creates the folder and its missing parents; true when the folder exists afterwards.
    bool create_directories() const;

    friend bool operator==(const ioPath& a, const ioPath& b) { return a.path == b.path; }
    friend bool operator!=(const ioPath& a, const ioPath& b) { return a.path != b.path; }

private:
    std::string path;
};

// Joins with exactly one separator between the parts; an empty side leaves the other unchanged.
TALVEX_EXPORT ioPath operator/(const ioPath& a, const ioPath& b);

TALVEX_EXPORT ioPath FromQString(const QString& text);

} // namespace Talvex
