#include "Platform/Native/HandOverMessage.h"

#include <QtEndian>

#include <cstring>

namespace Talvex::Native {
namespace {

const char TAG[4] = {'T', 'V', 'H', 'O'};
constexpr quint32 VERSION = 1;
// Working folder, startup id and activation token come before the arguments.
constexpr int FIXED_FIELDS = 3;

void AppendNumber(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

quint32 NumberAt(const QByteArray& in, std::size_t offset)
{
    return qFromLittleEndian<quint32>(in.constData() + offset);
}

// Splits a payload into its fields; nothing when a length runs past the end.
std::optional<QList<QByteArray>> Fields(const QByteArray& message)
{
    QList<QByteArray> fields;
    std::size_t offset = HandOverMessage::HEADER_SIZE;
    const auto end = static_cast<std::size_t>(message.size());
    while (offset < end) {
        if (end - offset < 4) {
            return std::nullopt;
        }
        const std::size_t length = NumberAt(message, offset);
        offset += 4;
        if (length > end - offset) {
            return std::nullopt;
        }
        fields.append(message.mid(static_cast<int>(offset), static_cast<int>(length)));
        offset += length;
    }
    return fields;
}

} // namespace

QByteArray HandOverMessage::Encode() const
{
    QByteArray payload;
    for (const QByteArray* field : {&workingFolder, &startupId, &activationToken}) {
        AppendNumber(payload, static_cast<quint32>(field->size()));
        payload.append(*field);
    }
    for (const QByteArray& argument : arguments) {
        AppendNumber(payload, static_cast<quint32>(argument.size()));
        payload.append(argument);
        if (static_cast<std::size_t>(payload.size()) > MAX_PAYLOAD) {
            return QByteArray();
        }
    }
    QByteArray message(TAG, 4);
    AppendNumber(message, VERSION);
    AppendNumber(message, static_cast<quint32>(payload.size()));
    return message + payload;
}

HandOverMessage::HeaderCheck HandOverMessage::CheckHeader(const QByteArray& received, std::size_t* payloadSize)
{
    const auto known = std::min<std::size_t>(static_cast<std::size_t>(received.size()), 4);
    if (std::memcmp(received.constData(), TAG, known) != 0) {
        return HeaderCheck::Foreign;
    }
    if (static_cast<std::size_t>(received.size()) < HEADER_SIZE) {
        return HeaderCheck::NeedMore;
    }
    if (NumberAt(received, 4) != VERSION) {
        return HeaderCheck::Foreign;
    }
    const std::size_t size = NumberAt(received, 8);
    if (size > MAX_PAYLOAD) {
        return HeaderCheck::Oversized;
    }
    *payloadSize = size;
    return HeaderCheck::Valid;
}

std::optional<HandOverMessage> HandOverMessage::Decode(const QByteArray& message)
{
    std::size_t size = 0;
    if (CheckHeader(message, &size) != HeaderCheck::Valid || HEADER_SIZE + size != std::size_t(message.size())) {
        return std::nullopt;
    }
    auto fields = Fields(message);
    // A launch always has at least its program.
    if (!fields || fields->size() <= FIXED_FIELDS) {
        return std::nullopt;
    }
    HandOverMessage decoded;
    decoded.workingFolder = fields->takeFirst();
    decoded.startupId = fields->takeFirst();
    decoded.activationToken = fields->takeFirst();
    decoded.arguments = *fields;
    return decoded;
}

} // namespace Talvex::Native
