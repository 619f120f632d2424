#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace Talvex::Fuzz {

// A broken promise is a finding: abort, so the fuzzer keeps the input.
inline void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

// A file of this run, in a folder of its own: an owner-only folder that nobody else
// can have planted anything in, and the same path for the whole run.
inline QString RunFile(const QString& name)
{
    static const QTemporaryDir folder;
    Require(folder.isValid(), "cannot make the run's folder");
    return folder.filePath(name);
}

// Writes `bytes` to `path`, replacing what was there.
inline void WriteInput(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    Require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
            "cannot write the input file");
}

// The input as a command line: arguments separated by NUL bytes.
inline QStringList ArgumentsFrom(const std::uint8_t* data, std::size_t size)
{
    QStringList arguments;
    for (const QByteArray& argument :
         QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size)).split('\0')) {
        arguments << QString::fromUtf8(argument);
    }
    return arguments;
}

} // namespace Talvex::Fuzz
