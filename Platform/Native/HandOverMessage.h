#pragma once

#include <TalvexExport.h>

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <optional>

namespace Talvex::Native {

// What a second launch hands to the running instance: its command line and working
// folder as the raw bytes the system gave it (file names need not be valid text), and
// the launcher's activation tokens. The wire form is a fixed header (tag, version,
// payload length) and length-prefixed fields, so the receiver can refuse an oversized
// or foreign message from its first bytes, before reading the rest.
struct TALVEX_EXPORT HandOverMessage {
    // Room for the largest command line the system lets a program start with (2 MiB
    // by default) and then some.
    static constexpr std::size_t MAX_PAYLOAD = 4u << 20;
    static constexpr std::size_t HEADER_SIZE = 12;

    QByteArray workingFolder;
    QByteArray startupId;        // X11 startup notification id; empty without one
    QByteArray activationToken;  // Wayland activation token; empty without one
    QList<QByteArray> arguments; // the program first

    // Empty when the encoded message would exceed MAX_PAYLOAD.
    QByteArray Encode() const;

    enum class HeaderCheck { NeedMore, Valid, Foreign, Oversized };
    // Judges the first bytes of a message; `payloadSize` is set when Valid.
    static HeaderCheck CheckHeader(const QByteArray& received, std::size_t* payloadSize);
    // Decodes a complete message (header and payload); nothing when malformed.
    static std::optional<HandOverMessage> Decode(const QByteArray& message);
};

} // namespace Talvex::Native
