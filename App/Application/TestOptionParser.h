#pragma once

#include <TalvexExport.h>

#include <QCommandLineOption>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <string>
#include <vector>

namespace Talvex::App {

// What was wrong with the options, one ERROR line's text each.
using Errors = std::vector<std::string>;

// What the library's diagnostic test options asked for. Every field holds its "not
// asked" value unless the option was given with a well-formed value.
struct TestOptionValues {
    QString outputDir; // absolute; empty: the product's temporary folder
    bool urlsLog = false;
    QString urlsLogFile; // as given; empty: the default name
    bool listUrls = false;
    bool openUrls = false;
    QString locale;
    int startDelayMs = 0;
    std::chrono::milliseconds crashTimeout{0}; // zero: none
    bool help = false;
    // Every option given, by each of its names (without dashes), with its value
    // (empty for a switch): what the products' accessor answers.
    QHash<QString, QString> given;
    Errors errors;
};

// Reads the diagnostic test options from a command line (the program name first, as
// QCoreApplication::arguments() gives it). Anything else on the line is left alone:
// unknown options are skipped silently, so the product's own arguments never disturb
// the parse. A malformed value (missing, empty, not a number, out of range) gives one
// error text and the option is ignored; a value that looks like an option ("-x",
// "--name") counts as missing, and that argument is read as itself. Nothing is logged
// here: the application reads its options before the product has set up logging.
class TALVEX_EXPORT TestOptionParser {
public:
    static TestOptionValues ParseLibraryOptions(const QStringList& arguments);
    // The product's own options as given, by each name, with their values. An option
    // whose name the library uses already is reported and skipped.
    static QHash<QString, QString> ParseProductOptions(const QStringList& arguments,
                                                       const QList<QCommandLineOption>& options, Errors& errors);
    // What --test-help prints: every library option, then the product's that the parse
    // accepts, one a line.
    static QString HelpText(const QList<QCommandLineOption>& productOptions);
};

} // namespace Talvex::App
