#include "Platform/Util/TextConversion.h"

#include <cstdint>
#include <cstring>

namespace Talvex::Util {
namespace {

// Most text crossing the library (keys, locale and theme names, paths) is ASCII, which
// converts by narrowing or widening each unit. Four units at a time where the byte
// order lets one 64-bit word hold them in text order.
constexpr bool WORDS_IN_TEXT_ORDER = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;

// Narrows `size` UTF-16 units into `out`; false at the first unit that is not ASCII.
bool NarrowAscii(const ushort* units, std::size_t size, char* out)
{
    std::size_t i = 0;
    if (WORDS_IN_TEXT_ORDER) {
        for (; i + 4 <= size; i += 4) {
            std::uint64_t word;
            std::memcpy(&word, units + i, sizeof word);
            if (word & 0xff80ff80ff80ff80u) {
                return false;
            }
            const auto bytes = static_cast<std::uint32_t>((word & 0xff) | ((word >> 8) & 0xff00) |
                                                          ((word >> 16) & 0xff0000) | ((word >> 24) & 0xff000000));
            std::memcpy(out + i, &bytes, sizeof bytes);
        }
    }
    for (; i < size; ++i) {
        if (units[i] >= 0x80) {
            return false;
        }
        out[i] = static_cast<char>(units[i]);
    }
    return true;
}

bool WidenAscii(const char* text, std::size_t size, ushort* out)
{
    std::size_t i = 0;
    if (WORDS_IN_TEXT_ORDER) {
        for (; i + 4 <= size; i += 4) {
            std::uint32_t bytes;
            std::memcpy(&bytes, text + i, sizeof bytes);
            if (bytes & 0x80808080u) {
                return false;
            }
            std::uint64_t word = bytes;
            word = (word | (word << 16)) & 0x0000ffff0000ffffu;
            word = (word | (word << 8)) & 0x00ff00ff00ff00ffu;
            std::memcpy(out + i, &word, sizeof word);
        }
    }
    for (; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x80) {
            return false;
        }
        out[i] = byte;
    }
    return true;
}

} // namespace

QString Utf8ToQString(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

void Utf8ToQString(const std::string& text, QString& result)
{
    result.resize(static_cast<int>(text.size()));
    if (!WidenAscii(text.data(), text.size(), reinterpret_cast<ushort*>(result.data()))) {
        result = Utf8ToQString(text);
    }
}

std::string QStringToUtf8(const QString& text)
{
    // Beyond a few words Qt's vectorised encoder wins over narrowing in place, even with
    // the copy out of its byte array.
    constexpr int SHORT_TEXT = 64;
    if (text.size() <= SHORT_TEXT) {
        std::string result(static_cast<std::size_t>(text.size()), '\0');
        if (NarrowAscii(reinterpret_cast<const ushort*>(text.constData()), result.size(), result.data())) {
            return result;
        }
    }
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::vector<unsigned char> QByteArrayToVectorByte(const QByteArray& bytes)
{
    const auto* begin = reinterpret_cast<const unsigned char*>(bytes.constData());
    return std::vector<unsigned char>(begin, begin + bytes.size());
}

QByteArray VectorByteToQByteArray(const std::vector<unsigned char>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()));
}

} // namespace Talvex::Util
