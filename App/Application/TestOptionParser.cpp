#include "App/Application/TestOptionParser.h"

#include <QCommandLineParser>
#include <QDir>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace Talvex::App {
namespace {

struct LibraryOption {
    const char* name;
    const char* valueName; // null for a switch
    bool optionalValue;
    const char* description;
};

// The contract with the products' test scripts: names, values and the help text.
const LibraryOption LIBRARY_OPTIONS[] = {
    {"test-output-dir", "DIR", false,
     "Folder for the files the other options write; created when missing. Default: the product's temporary folder."},
    {"test-urls-log", "FILE", true,
     "Write every http/https link the program would open to FILE, one a line, instead of starting a browser; "
     "FILE starts empty on each run (default urls.log in the output folder, where a relative name is taken too)."},
    {"test-list-urls", nullptr, false,
     "At start, write every product web address (number, key name, address) to product-urls.txt in the output "
     "folder."},
    {"test-open-urls", nullptr, false,
     "With --test-list-urls, also open each address (into the URL log when --test-urls-log is given)."},
    {"test-locale", "NAME", false,
     "Make NAME the user-interface language at start, whatever the settings and the system say."},
    {"test-start-delay", "MS", false,
     "Run the first-run actions and ApplicationStarted MS milliseconds after Start, with the event loop running."},
    {"test-crash-timeout", "SECONDS", false,
     "If the process still runs SECONDS after the application was created, log the GUI thread's call stack and "
     "abort; the next start reports the crashed session."},
    {"test-help", nullptr, false,
     "Print the diagnostic test options, the product's own included, and end the process with status 0."},
};

const char URLS_LOG[] = "test-urls-log";
const double MAX_CRASH_TIMEOUT_SECONDS = 30.0 * 24 * 3600;

struct OptionalValue {
    bool given = false;
    std::optional<QString> value;
};

// QCommandLineParser cannot express a value that may be left out: it would take the
// next argument as the value. Such an option is taken off the line first, and only
// its "--name=VALUE" form carries a value.
OptionalValue TakeOptionalValueOption(QStringList& arguments, const QString& name)
{
    const QString bare = QStringLiteral("--") + name;
    const QString withValue = bare + QLatin1Char('=');
    OptionalValue found;
    for (int i = 1; i < arguments.size() && arguments[i] != QLatin1String("--");) {
        if (arguments[i] == bare || arguments[i].startsWith(withValue)) {
            found.given = true;
            found.value =
                arguments[i] == bare ? std::nullopt : std::optional<QString>(arguments[i].mid(withValue.size()));
            arguments.removeAt(i);
        } else {
            ++i;
        }
    }
    return found;
}

void DropArgument(QStringList& arguments, int index, const QString& option, const char* problem, Errors& errors)
{
    errors.push_back("Test options: " + option.toStdString() + " " + problem + " (\"" + arguments[index].toStdString() +
                     "\"); the option is ignored.");
    arguments.removeAt(index);
}

// A test script that leaves a value out must not have the next option taken as the
// value: that option would be lost and its text would become, say, the language.
// A negative number ("-5", "-.5") is a value, though: no option name starts with a
// digit, and a product option may well take one.
bool LooksLikeOption(const QString& argument)
{
    if (argument.size() < 2 || !argument.startsWith(QLatin1Char('-'))) {
        return false;
    }
    const QChar next = argument[1] == QLatin1Char('.') && argument.size() > 2 ? argument[2] : argument[1];
    return !next.isDigit();
}

// Forms the parser would report or misread but still count as given: a switch with a
// value, and an option that needs a value at the end of the line or before another
// option. All are dropped here, so the parser's only complaints left are the unknown
// options, which are the product's.
void DropMalformedForms(QStringList& arguments, const QList<QCommandLineOption>& options, Errors& errors)
{
    for (const QCommandLineOption& option : options) {
        const bool takesValue = !option.valueName().isEmpty();
        for (const QString& name : option.names()) {
            const QString bare = (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
            for (int i = 1; i < arguments.size() && arguments[i] != QLatin1String("--");) {
                if (!takesValue && arguments[i].startsWith(bare + QLatin1Char('='))) {
                    DropArgument(arguments, i, bare, "takes no value", errors);
                } else if (takesValue && arguments[i] == bare &&
                           (i + 1 == arguments.size() || LooksLikeOption(arguments[i + 1]))) {
                    DropArgument(arguments, i, bare, "needs a value", errors);
                } else {
                    ++i;
                }
            }
        }
    }
}

bool IsLibraryName(const QString& name)
{
    for (const LibraryOption& option : LIBRARY_OPTIONS) {
        if (name == QLatin1String(option.name)) {
            return true;
        }
    }
    return false;
}

void Reject(TestOptionValues& values, const char* name, const QString& value, const char* expected)
{
    values.errors.push_back(std::string("Test options: --") + name + "=\"" + value.toStdString() + "\" is not " +
                            expected + "; the option is ignored.");
    values.given.remove(QLatin1String(name));
}

std::optional<QString> Given(const TestOptionValues& values, const char* name)
{
    const auto found = values.given.constFind(QLatin1String(name));
    return found == values.given.cend() ? std::nullopt : std::optional<QString>(*found);
}

std::optional<QString> NonEmpty(TestOptionValues& values, const char* name, const char* expected)
{
    const std::optional<QString> value = Given(values, name);
    if (value && value->isEmpty()) {
        Reject(values, name, *value, expected);
        return std::nullopt;
    }
    return value;
}

void ReadUrlsLog(const OptionalValue& option, TestOptionValues& values)
{
    if (!option.given) {
        return;
    }
    values.given.insert(QLatin1String(URLS_LOG), option.value.value_or(QString()));
    if (option.value && option.value->isEmpty()) {
        Reject(values, URLS_LOG, *option.value, "a file name");
        return;
    }
    values.urlsLog = true;
    values.urlsLogFile = option.value.value_or(QString());
}

void ReadNumbers(TestOptionValues& values)
{
    if (const auto delay = Given(values, "test-start-delay")) {
        bool isNumber = false;
        const int ms = delay->toInt(&isNumber);
        if (isNumber && ms >= 0) {
            values.startDelayMs = ms;
        } else {
            Reject(values, "test-start-delay", *delay, "a number of milliseconds (0 or more)");
        }
    }
    if (const auto timeout = Given(values, "test-crash-timeout")) {
        bool isNumber = false;
        const double seconds = timeout->toDouble(&isNumber);
        if (isNumber && std::isfinite(seconds) && seconds > 0 && seconds <= MAX_CRASH_TIMEOUT_SECONDS) {
            values.crashTimeout = std::chrono::milliseconds(static_cast<long long>(std::ceil(seconds * 1000)));
        } else {
            Reject(values, "test-crash-timeout", *timeout, "a number of seconds above 0 and up to 30 days");
        }
    }
}

void ReadValues(TestOptionValues& values)
{
    if (const auto folder = NonEmpty(values, "test-output-dir", "a folder name")) {
        values.outputDir = QDir(*folder).absolutePath();
    }
    if (const auto locale = NonEmpty(values, "test-locale", "a language name")) {
        values.locale = *locale;
    }
    values.listUrls = values.given.contains(QStringLiteral("test-list-urls"));
    values.openUrls = values.given.contains(QStringLiteral("test-open-urls"));
    if (values.openUrls && !values.listUrls) {
        values.errors.push_back("Test options: --test-open-urls opens the addresses --test-list-urls lists; without "
                                "it the option is ignored.");
        values.openUrls = false;
        values.given.remove(QStringLiteral("test-open-urls"));
    }
    values.help = values.given.contains(QStringLiteral("test-help"));
    ReadNumbers(values);
}

QString Syntax(const QCommandLineOption& option)
{
    QStringList names;
    for (const QString& name : option.names()) {
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    }
    const QString value = option.valueName().isEmpty() ? QString() : QLatin1Char('=') + option.valueName();
    return names.join(QStringLiteral(", ")) + value;
}

// The product's options that take no name the library or an earlier option has taken,
// added to `parser`; each refused one gives an error text when `errors` is given.
QList<QCommandLineOption> AcceptProductOptions(QCommandLineParser& parser, const QList<QCommandLineOption>& options,
                                               Errors* errors)
{
    QList<QCommandLineOption> accepted;
    for (const QCommandLineOption& option : options) {
        const QStringList names = option.names();
        if (std::any_of(names.begin(), names.end(), IsLibraryName) || !parser.addOption(option)) {
            if (errors) {
                errors->push_back("Test options: the product's option " + Syntax(option).toStdString() +
                                  " reuses a name already taken; the option is ignored.");
            }
            continue;
        }
        accepted << option;
    }
    return accepted;
}

QHash<QString, QString> GivenOptions(const QCommandLineParser& parser, const QList<QCommandLineOption>& options)
{
    QHash<QString, QString> given;
    for (const QCommandLineOption& option : options) {
        if (parser.isSet(option.names().first())) {
            for (const QString& name : option.names()) {
                given.insert(name, parser.value(name));
            }
        }
    }
    return given;
}

QString Syntax(const LibraryOption& option)
{
    QString syntax = QStringLiteral("--") + QLatin1String(option.name);
    if (option.valueName) {
        const QString value = QLatin1Char('=') + QLatin1String(option.valueName);
        syntax += option.optionalValue ? QLatin1Char('[') + value + QLatin1Char(']') : value;
    }
    return syntax;
}

using HelpRows = QList<std::pair<QString, QString>>;

QString Section(const QString& title, const HelpRows& rows, int width)
{
    QString text = title + QLatin1Char('\n');
    for (const auto& [syntax, description] : rows) {
        text +=
            QStringLiteral("  ") + syntax.leftJustified(width) + QStringLiteral("  ") + description + QLatin1Char('\n');
    }
    return text;
}

} // namespace

TestOptionValues TestOptionParser::ParseLibraryOptions(const QStringList& arguments)
{
    QStringList rest = arguments;
    TestOptionValues values;
    const OptionalValue urlsLog = TakeOptionalValueOption(rest, QLatin1String(URLS_LOG));
    QCommandLineParser parser;
    QList<QCommandLineOption> options;
    for (const LibraryOption& option : LIBRARY_OPTIONS) {
        if (!option.optionalValue) {
            const QString name = QLatin1String(option.name);
            options << (option.valueName ? QCommandLineOption(name, QString(), QLatin1String(option.valueName))
                                         : QCommandLineOption(name));
        }
    }
    parser.addOptions(options);
    DropMalformedForms(rest, options, values.errors);
    parser.parse(rest);
    values.given = GivenOptions(parser, options);
    ReadUrlsLog(urlsLog, values);
    ReadValues(values);
    return values;
}

QHash<QString, QString> TestOptionParser::ParseProductOptions(const QStringList& arguments,
                                                              const QList<QCommandLineOption>& options, Errors& errors)
{
    QCommandLineParser parser;
    const QList<QCommandLineOption> accepted = AcceptProductOptions(parser, options, &errors);
    QStringList rest = arguments;
    TakeOptionalValueOption(rest, QLatin1String(URLS_LOG));
    DropMalformedForms(rest, accepted, errors);
    parser.parse(rest);
    return GivenOptions(parser, accepted);
}

QString TestOptionParser::HelpText(const QList<QCommandLineOption>& productOptions)
{
    HelpRows library;
    for (const LibraryOption& option : LIBRARY_OPTIONS) {
        library.append({Syntax(option), QLatin1String(option.description)});
    }
    HelpRows product;
    QCommandLineParser parser;
    for (const QCommandLineOption& option : AcceptProductOptions(parser, productOptions, nullptr)) {
        product.append({Syntax(option), option.description()});
    }
    int width = 0;
    for (const HelpRows* rows : {&library, &product}) {
        for (const auto& row : *rows) {
            width = std::max(width, static_cast<int>(row.first.size()));
        }
    }
    QString text = Section(QStringLiteral("Diagnostic test options:"), library, width);
    if (!product.isEmpty()) {
        text += QLatin1Char('\n') + Section(QStringLiteral("Product test options:"), product, width);
    }
    return text;
}

} // namespace Talvex::App
