#include "Platform/Util/TextConversion.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
#ifdef __SSE2__
    const __m128i nonAscii = _mm_set1_epi16(static_cast<short>(0xff80));
    for (; i + 16 <= size; i += 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + i));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + i + 8));
        const __m128i outside = _mm_and_si128(_mm_or_si128(low, high), nonAscii);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(outside, _mm_setzero_si128())) != 0xffff) {
            return false;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(low, high));
    }
#endif
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
#ifdef __SSE2__
    for (; i + 16 <= size; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        if (_mm_movemask_epi8(bytes) != 0) {
            return false;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(bytes, _mm_setzero_si128()));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(bytes, _mm_setzero_si128()));
    }
#endif
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

QString Utf8ToQString(const char* text, int size)
{
    QString result(size, Qt::Uninitialized);
    if (WidenAscii(text, static_cast<std::size_t>(size), reinterpret_cast<ushort*>(result.data()))) {
        return result;
    }
    return QString::fromUtf8(text, size);
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
    // ASCII is narrowed a slice at a time into reserved space, which spares filling the
    // whole string first and copying it out of an encoded byte array afterwards.
    constexpr int SLICE = 1024;
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    const auto* units = reinterpret_cast<const ushort*>(text.constData());
    char slice[SLICE];
    for (int at = 0; at < text.size(); at += SLICE) {
        const auto length = static_cast<std::size_t>(std::min<qsizetype>(SLICE, text.size() - at));
        if (!NarrowAscii(units + at, length, slice)) {
            const QByteArray bytes = text.toUtf8();
            return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        }
        result.append(slice, length);
    }
    return result;
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
