#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

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
