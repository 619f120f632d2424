#include "Platform/Util/TextConversion.h"

namespace Talvex::Util {

QString Utf8ToQString(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

std::string QStringToUtf8(const QString& text)
{
    // Most text crossing the library (keys, locale and theme names, paths) is ASCII:
    // narrow it straight into the result instead of going through a QByteArray.
    const QChar* characters = text.constData();
    const int length = text.size();
    std::string result(static_cast<std::size_t>(length), '\0');
    for (int i = 0; i < length; ++i) {
        const ushort unit = characters[i].unicode();
        if (unit >= 0x80) {
            const QByteArray bytes = text.toUtf8();
            return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        }
        result[static_cast<std::size_t>(i)] = static_cast<char>(unit);
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
