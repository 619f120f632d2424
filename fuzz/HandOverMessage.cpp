// The running instance reads whatever a process of its user writes to its socket. The
// input is such a message; judging and decoding it must never fail, and a message it
// accepts must be exactly what encoding the decoded hand-over gives.
#include "Platform/Native/HandOverMessage.h"
#include "FuzzSupport.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

using Talvex::Fuzz::Require;
using Talvex::Native::HandOverMessage;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray message(reinterpret_cast<const char*>(data), static_cast<int>(size));
    std::size_t payload = 0;
    const auto header = HandOverMessage::CheckHeader(message, &payload);
    Require(header != HandOverMessage::HeaderCheck::Valid || payload <= HandOverMessage::MAX_PAYLOAD,
            "accepted a header past the limit");
    const auto decoded = HandOverMessage::Decode(message);
    if (decoded) {
        Require(header == HandOverMessage::HeaderCheck::Valid, "decoded a message whose header it refuses");
        Require(!decoded->arguments.isEmpty(), "decoded a launch without its program");
        Require(decoded->Encode() == message, "decoding and encoding again changed the message");
    }
    return 0;
}
