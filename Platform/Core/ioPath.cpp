#include "Platform/Core/ioPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Talvex {

namespace {

bool IsSeparator(char c)
{
#ifdef Q_OS_WIN
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

constexpr char preferredSeparator =
#ifdef Q_OS_WIN
    '\\';
#else
    '/';
#endif

} // namespace

ioPath::ioPath(const std::string& utf8) : path(utf8)
{
}

ioPath::ioPath(const char* utf8) : path(utf8 ? utf8 : "")
{
}

ioPath::ioPath(const std::wstring& text) : path(QString::fromStdWString(text).toStdString())
{
}

ioPath::ioPath(const QString& text) : path(text.toStdString())
{
}

ioPath& ioPath::operator=(const char* utf8)
{
    path = utf8 ? utf8 : "";
    return *this;
}

ioPath& ioPath::operator/=(const ioPath& other)
{
    if (other.path.empty()) {
        return *this;
    }
    if (path.empty()) {
        path = other.path;
        return *this;
    }
    const bool leftEnds = IsSeparator(path.back());
    const bool rightStarts = IsSeparator(other.path.front());
    if (leftEnds && rightStarts) {
        path.pop_back();
    } else if (!leftEnds && !rightStarts) {
        path.push_back(preferredSeparator);
    }
    path += other.path;
    return *this;
}

ioPath operator/(const ioPath& a, const ioPath& b)
{
    ioPath result(a);
    result /= b;
    return result;
}

ioPath ioPath::parent_path() const
{
    std::string::size_type end = path.size();
    // A trailing separator does not start a new component.
    while (end > 1 && IsSeparator(path[end - 1])) {
        --end;
    }
    while (end > 0 && !IsSeparator(path[end - 1])) {
        --end;
    }
    if (end == 0) {
        return ioPath();
    }
    // Keep the root itself; drop the separators that end the parent.
    while (end > 1 && IsSeparator(path[end - 1])) {
        --end;
    }
    // The root has no parent, so walking upwards always ends with an empty path.
    if (end == path.size()) {
        return ioPath();
    }
    return ioPath(path.substr(0, end));
}

ioPath& ioPath::make_preferred()
{
    for (char& c : path) {
        if (IsSeparator(c)) {
            c = preferredSeparator;
        }
    }
    return *this;
}

std::wstring ioPath::wstring() const
{
    return ToQString().toStdWString();
}

QString ioPath::ToQString() const
{
    return QString::fromStdString(path);
}

std::string ioPath::platformString() const
{
    return QFile::encodeName(ToQString()).toStdString();
}

bool ioPath::exists() const
{
    return !path.empty() && QFileInfo::exists(ToQString());
}

bool ioPath::create_directories() const
{
    return !path.empty() && QDir().mkpath(ToQString());
}

ioPath FromQString(const QString& text)
{
    return ioPath(text);
}

} // namespace Talvex
