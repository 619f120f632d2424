// A catalogue file is data from a theme or language folder that anyone may have
// edited. Loading it and asking for a translation must never read outside it.
#include <QByteArray>
#include <QString>
#include <QTranslator>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The translator keeps pointing into the bytes it was given, so give it its own copy
    // that lives exactly as long as it does; an exact-size copy lets the address checker
    // see any read past the end.
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    QTranslator translator;
    if (translator.load(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size())) {
        translator.isEmpty();
        translator.translate("Talvex", "Open");
        translator.translate("Talvex", "Open", "menu");
        translator.translate("Talvex", "%n file(s)", nullptr, 3);
        translator.translate("", "");
    }
    return 0;
}
