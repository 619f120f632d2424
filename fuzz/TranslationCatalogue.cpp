// A catalogue file is data from a language folder that anyone may have edited. Loading
// it as a language switch does (check, load from the checked bytes, dependencies
// beside it) and asking for translations must never read outside it, run away or
// loop on catalogues naming each other.
#include "App/Application/LookAndFeel/CatalogueTranslator_p.h"
#include "FuzzSupport.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

// The input is written as a catalogue file of this folder, so a dependency on
// "catalogue" names the input itself.
const QString& CataloguePath()
{
    static const QString path = Talvex::Fuzz::RunFile(QStringLiteral("catalogue.qm"));
    return path;
}

void TranslateSome(const QTranslator& translator)
{
    translator.isEmpty();
    for (const char* context : {"Talvex", "Sample", "Other", ""}) {
        translator.translate(context, "Open");
        translator.translate(context, "Open", "menu");
        translator.translate(context, "Close");
        translator.translate(context, "%n file(s)", nullptr, 3);
        translator.translate(context, "%n file(s)", nullptr, 22);
    }
    translator.translate("", "");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Talvex::Fuzz::WriteInput(CataloguePath(), QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size)));

    Talvex::App::CatalogueTranslator translator;
    if (translator.LoadChecked(CataloguePath())) {
        TranslateSome(translator);
    }
    return 0;
}
