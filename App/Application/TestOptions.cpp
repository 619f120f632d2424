#include "App/Application/TestOptions.h"

#include "App/Application/Application.h"
#include "App/Application/CrashTracker.h"
#include "App/Application/LogURLHandler.h"
#include "App/Application/LookAndFeel/ILookAndFeelManager.h"
#include "App/Application/TestOptions_p.h"
#include "Platform/Core/ioPath.h"
#include "Platform/Links/URLKeys.h"
#include "Platform/Logging/LogLine.h"
#include "Platform/Logging/LoggingApi_p.h"
#include "Platform/Native/OwnedFile.h"
#include "Platform/Native/OwnedFolder.h"
#include "Platform/Util/TextConversion.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace Talvex::App {
namespace {

const char* const LINK_SCHEMES[] = {"http", "https"};
const char DEFAULT_URLS_LOG[] = "urls.log";
const char PRODUCT_URLS[] = "product-urls.txt";
const char OUTPUT_DIR[] = "test-output-dir";

void HandleLinksWith(QObject* handler)
{
    for (const char* scheme : LINK_SCHEMES) {
        QDesktopServices::setUrlHandler(QLatin1String(scheme), handler, "logUrls");
    }
}

bool MakeFolder(const QString& folder)
{
    const ioPath path(folder);
    if (path.exists() || path.create_directories()) {
        return true;
    }
    TALVEX_LOG(ERROR) << "Test options: cannot create the folder " << path.utf8string();
    return false;
}

// The nearest folder at or above `folder` that exists, and the names that lead from it
// down to `folder`.
std::pair<QString, QStringList> FromExistingFolder(const QString& folder)
{
    QFileInfo level(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
    QStringList names{level.fileName()};
    QString base = level.absolutePath();
    while (!QFileInfo::exists(base) && !QDir(base).isRoot()) {
        level.setFile(base);
        names.prepend(level.fileName());
        base = level.absolutePath();
    }
    return {base, names};
}

// The output folder may be named by a test script inside a folder that other users
// reach, so it must be a real folder of ours that nobody else can write; a missing one,
// and each missing folder above it, is created owner-only and checked, as the temporary
// folder is; one of ours that a script's mkdir left open to our group is claimed. A
// folder above it that another user may change would let
// that user swap the folder itself.
bool MakeOutputFolder(const QString& folder)
{
    QString problem;
    if (!Native::HasSafeParents(folder, &problem)) {
        TALVEX_LOG(ERROR) << "Test options: the output folder " << Util::QStringToUtf8(folder) << " lies where "
                          << Util::QStringToUtf8(problem);
        return false;
    }
    const auto [base, names] = FromExistingFolder(folder);
    const QString failed = Native::ClaimOwnedFolders(base, names, &problem);
    if (failed.isEmpty()) {
        return true;
    }
    TALVEX_LOG(ERROR) << "Test options: the output folder " << Util::QStringToUtf8(folder) << ": "
                      << Util::QStringToUtf8(QDir::toNativeSeparators(failed)) << ' ' << Util::QStringToUtf8(problem);
    return false;
}

// Through QDesktopServices, as the product would open them, so they reach the URL log.
void OpenAll(const QStringList& addresses)
{
    for (const QString& address : addresses) {
        if (!address.isEmpty()) {
            QDesktopServices::openUrl(QUrl(address));
        }
    }
}

} // namespace

TestOptionsPrivate::TestOptionsPrivate(Application& application, CrashTracker& crashTracker)
    : application(application), crashTracker(crashTracker),
      values(TestOptionParser::ParseLibraryOptions(QCoreApplication::arguments()))
{
}

void TestOptionsPrivate::CheckGivenOutputDir()
{
    if (values.outputDir.isEmpty() || !outputDir.isEmpty()) {
        return;
    }
    if (MakeOutputFolder(values.outputDir)) {
        outputDir = values.outputDir;
        return;
    }
    TALVEX_LOG(ERROR) << "Test options: --" << OUTPUT_DIR << " is ignored; the product's temporary folder is used";
    values.outputDir.clear();
    values.given.remove(QLatin1String(OUTPUT_DIR));
}

QString TestOptionsPrivate::OutputDir()
{
    CheckGivenOutputDir();
    if (!outputDir.isEmpty()) {
        return outputDir;
    }
    if (!application.GetCustomizationManager()) {
        TALVEX_LOG(ERROR) << "Test options: the output folder defaults to the product's temporary folder, which is "
                             "unknown until the customization manager is registered";
        return QString();
    }
    const QString folder = QDir(application.GetApplicationTemporaryFilesDir()).absolutePath();
    if (MakeOutputFolder(folder)) {
        outputDir = folder;
    }
    return outputDir;
}

QString TestOptionsPrivate::UrlsLogPath()
{
    QString path = values.urlsLogFile.isEmpty() ? QLatin1String(DEFAULT_URLS_LOG) : values.urlsLogFile;
    if (QDir::isRelativePath(path)) {
        const QString folder = OutputDir();
        if (folder.isEmpty()) {
            return QString();
        }
        path = QDir(folder).filePath(path);
    }
    return MakeFolder(QFileInfo(path).absolutePath()) ? path : QString();
}

LogURLHandler* TestOptionsPrivate::OpenUrlsLog()
{
    if (urlsLog) {
        return urlsLog;
    }
    const QString path = UrlsLogPath();
    if (path.isEmpty()) {
        return nullptr;
    }
    urlsLog = new LogURLHandler(&application, path);
    // Even a log that did not open keeps the browser away: an automated run starts none.
    HandleLinksWith(urlsLog);
    if (urlsLog->IsOpen()) {
        TALVEX_LOG(INFO) << "Test options: links are logged to " << Util::QStringToUtf8(path);
    } else {
        TALVEX_LOG(ERROR) << "Test options: the URL log " << Util::QStringToUtf8(path) << ' '
                          << Util::QStringToUtf8(urlsLog->ErrorString())
                          << "; every link will be dropped, neither logged nor opened";
    }
    return urlsLog;
}

void TestOptionsPrivate::logUrls(const QUrl& url)
{
    if (LogURLHandler* handler = OpenUrlsLog()) {
        handler->logUrls(url);
        return;
    }
    TALVEX_LOG(ERROR) << "Test options: the URL log is not open yet; link dropped: " << Util::QStringToUtf8(url.url());
}

void TestOptionsPrivate::ApplyLocale() const
{
    const auto lookAndFeel = application.GetLookAndFeel();
    const std::string wanted = Util::QStringToUtf8(values.locale);
    if (!lookAndFeel) {
        TALVEX_LOG(ERROR) << "Test options: --test-locale=" << wanted << " needs a look-and-feel manager; ignored";
        return;
    }
    const auto& shipped = lookAndFeel->GetLocales();
    if (std::find(shipped.begin(), shipped.end(), wanted) == shipped.end()) {
        TALVEX_LOG(ERROR) << "Test options: --test-locale=" << wanted
                          << " is not a shipped language; the usual fallback applies";
    }
    const std::string before = lookAndFeel->GetCurrentLocale();
    lookAndFeel->SetLocale(wanted);
    const std::string current = lookAndFeel->GetCurrentLocale();
    // A theme built before holds the previous language's substitutions; rebuilding it
    // tells the product (OnThemeChanged) to apply the new style sheet.
    if (current != before && !lookAndFeel->GetCurrentTheme().empty()) {
        lookAndFeel->SetTheme(lookAndFeel->GetCurrentTheme());
    }
    QLocale::setDefault(QLocale(Util::Utf8ToQString(current)));
    TALVEX_LOG(INFO) << "Test options: user-interface language " << current;
}

void TestOptionsPrivate::ListProductUrls()
{
    const QString folder = OutputDir();
    if (folder.isEmpty()) {
        return;
    }
    QFile list(QDir(folder).filePath(QLatin1String(PRODUCT_URLS)));
    QString problem;
    if (!Native::OpenOwnedFileForWriting(list, &problem)) {
        TALVEX_LOG(ERROR) << "Test options: the address list " << Util::QStringToUtf8(list.fileName()) << ' '
                          << Util::QStringToUtf8(problem) << "; --test-list-urls is ignored";
        return;
    }
    QStringList addresses;
    QByteArray text;
    if (!ProductUrls(addresses, text)) {
        return;
    }
    if (list.write(text) != text.size() || !list.flush()) {
        TALVEX_LOG(ERROR) << "Test options: cannot write " << Util::QStringToUtf8(list.fileName());
    }
    list.close();
    if (values.openUrls) {
        OpenAll(addresses);
    }
}

// One line per key: number, key name and address, separated by tabs.
bool TestOptionsPrivate::ProductUrls(QStringList& addresses, QByteArray& text) const
{
    for (int number = 1; *URLKeyName(static_cast<URLKeys>(number)) != '\0'; ++number) {
        const auto key = static_cast<URLKeys>(number);
        try {
            addresses << application.GetUrl(key);
        } catch (const std::exception& error) {
            TALVEX_LOG(ERROR) << "Test options: cannot list the product web addresses: " << error.what();
            return false;
        }
        text += QByteArray::number(number) + '\t' + URLKeyName(key) + '\t' + addresses.last().toUtf8() + '\n';
    }
    return true;
}

void TestOptionsPrivate::ReportErrors()
{
    for (const std::string& error : values.errors) {
        TALVEX_LOG(ERROR) << error;
    }
    values.errors.clear();
}

// A run's log then says how the run was driven, whatever the test script recorded.
void TestOptionsPrivate::LogOptionsInEffect() const
{
    if (values.given.isEmpty()) {
        return;
    }
    QStringList options;
    for (auto option = values.given.cbegin(); option != values.given.cend(); ++option) {
        options << (option.value().isEmpty() ? option.key() : option.key() + QLatin1Char('=') + option.value());
    }
    options.sort();
    TALVEX_LOG(INFO) << "Test options in effect: " << Util::QStringToUtf8(options.join(QStringLiteral(", ")));
}

void TestOptionsPrivate::PrintHelpAndExit(const QList<QCommandLineOption>& productOptions)
{
    const QByteArray text = TestOptionParser::HelpText(productOptions).toUtf8();
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    std::fflush(stdout);
    crashTimeout.reset();
    crashTracker.StopSession();
    if (const LoggingApi* glog = LoadedGlog()) {
        glog->flushLogFiles();
    }
    // As a command-line tool's help does: the product's main is still inside its
    // start-up, so there is nothing to return to that could end the process cleanly.
    std::_Exit(0);
}

TestOptions::TestOptions(Application& application, CrashTracker& crashTracker)
    : d(std::make_unique<TestOptionsPrivate>(application, crashTracker))
{
    if (d->values.crashTimeout.count() > 0) {
        d->crashTimeout = std::make_unique<CrashTimeout>(d->values.crashTimeout);
        QObject::connect(&application, &QCoreApplication::aboutToQuit, d.get(), [this] { d->crashTimeout.reset(); });
    }
    if (d->values.urlsLog) {
        HandleLinksWith(d.get());
    }
    d->ReportErrors();
}

TestOptions::~TestOptions() = default;

void TestOptions::OnStart(const QList<QCommandLineOption>& productOptions, std::function<void()> finishStart)
{
    d->values.given.insert(
        TestOptionParser::ParseProductOptions(QCoreApplication::arguments(), productOptions, d->values.errors));
    d->ReportErrors();
    if (d->values.help) {
        d->PrintHelpAndExit(productOptions);
    }
    d->CheckGivenOutputDir();
    d->LogOptionsInEffect();
    if (d->values.urlsLog) {
        d->OpenUrlsLog();
    }
    if (!d->values.locale.isEmpty()) {
        d->ApplyLocale();
    }
    if (d->values.listUrls) {
        d->ListProductUrls();
    }
    if (d->values.startDelayMs > 0) {
        TALVEX_LOG(INFO) << "Test options: the start goes on in " << d->values.startDelayMs << " ms";
        QTimer::singleShot(d->values.startDelayMs, d.get(), std::move(finishStart));
        return;
    }
    finishStart();
}

bool TestOptions::IsSet(const QString& name) const
{
    return d->values.given.contains(name);
}

QString TestOptions::Value(const QString& name) const
{
    return d->values.given.value(name);
}

QString TestOptions::OutputDir() const
{
    return d->OutputDir();
}

QString TestOptions::ForcedLocale() const
{
    return d->values.locale;
}

} // namespace Talvex::App
