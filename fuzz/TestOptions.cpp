// The diagnostic options come from whatever command line a product was started with.
// The input is that line, arguments separated by NUL bytes (the program name first);
// parsing it must never fail, and what it yields must hold the promised values.
#include "App/Application/TestOptionParser.h"
#include "FuzzSupport.h"

#include <QCommandLineOption>
#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using Talvex::App::Errors;
using Talvex::App::TestOptionParser;
using Talvex::App::TestOptionValues;

using Talvex::Fuzz::Require;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QStringList arguments = Talvex::Fuzz::ArgumentsFrom(data, size);

    const TestOptionValues values = TestOptionParser::ParseLibraryOptions(arguments);
    Require(values.startDelayMs >= 0, "negative start delay");
    Require(values.crashTimeout >= std::chrono::milliseconds(0) && values.crashTimeout <= std::chrono::hours(24 * 30),
            "crash time-out out of range");
    Require(values.outputDir.isEmpty() || QDir::isAbsolutePath(values.outputDir), "relative output folder");
    Require(!values.openUrls || values.listUrls, "open without list");

    // A product option that clashes with a library name, one with a value, and a switch.
    const QList<QCommandLineOption> product{
        QCommandLineOption(QStringList{QStringLiteral("test-locale")}, QStringLiteral("clash"), QStringLiteral("x")),
        QCommandLineOption(QStringList{QStringLiteral("s"), QStringLiteral("scenario")}, QStringLiteral("scenario"),
                           QStringLiteral("name")),
        QCommandLineOption(QStringList{QStringLiteral("product-flag")}, QStringLiteral("flag"))};
    Errors errors;
    const QHash<QString, QString> given = TestOptionParser::ParseProductOptions(arguments, product, errors);
    Require(!given.contains(QStringLiteral("test-locale")), "a library name taken as the product's");
    Require(given.contains(QStringLiteral("s")) == given.contains(QStringLiteral("scenario")),
            "one name of an option without the other");
    Require(!TestOptionParser::HelpText(product).contains(QStringLiteral("clash")),
            "a refused product option offered in the help");
    return 0;
}
