#include "Platform/Logging/InitGlog.h"

#include "Platform/Logging/LogLine.h"
#include "Platform/Logging/LoggingApi_p.h"
#include "Platform/Native/OwnedFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <mutex>
#include <utility>

namespace Talvex::App {
namespace {

const QString ENVIRONMENT_PREFIX = QStringLiteral("GLOG_");
const QString PRODUCT_NAME_VARIABLE = QStringLiteral("GLOG_PRODUCT_NAME");

std::mutex& SetupLock()
{
    static std::mutex lock;
    return lock;
}

// glog reads vmodule once, when the first VLOG runs; later changes need SetVLOGLevel.
void ApplyVModule(const LoggingApi& glog, const QString& value)
{
    for (const QString& entry : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString pattern = entry.section(QLatin1Char('='), 0, 0).trimmed();
        bool isNumber = false;
        const int level = entry.section(QLatin1Char('='), 1).trimmed().toInt(&isNumber);
        if (!pattern.isEmpty() && isNumber) {
            glog.setVLogLevel(pattern.toUtf8().constData(), level);
        }
    }
}

void ApplyFlag(const LoggingApi& glog, const QString& name, const QString& value)
{
    glog.setFlag(name.toUtf8().constData(), value.toUtf8().constData());
    if (name == QLatin1String("vmodule")) {
        ApplyVModule(glog, value);
    }
}

void ApplyEnvironment(const LoggingApi& glog)
{
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& variable : environment.keys()) {
        if (variable.startsWith(ENVIRONMENT_PREFIX) && variable != PRODUCT_NAME_VARIABLE) {
            ApplyFlag(glog, variable.mid(ENVIRONMENT_PREFIX.size()), environment.value(variable));
        }
    }
}

// "--name=value", "-name=value", "name=value"; a bare "--name" switches a boolean on.
void ApplyArguments(const LoggingApi& glog, const std::string& arguments)
{
    for (QString argument : QProcess::splitCommand(QString::fromStdString(arguments))) {
        while (argument.startsWith(QLatin1Char('-'))) {
            argument.remove(0, 1);
        }
        const int equals = argument.indexOf(QLatin1Char('='));
        if (equals < 0) {
            ApplyFlag(glog, argument, QStringLiteral("true"));
        } else if (equals > 0) {
            ApplyFlag(glog, argument.left(equals), argument.mid(equals + 1));
        }
    }
}

QString CodeName()
{
    QString name = qEnvironmentVariable("GLOG_PRODUCT_NAME");
    if (name.isEmpty() && QCoreApplication::instance()) {
        name = QCoreApplication::applicationName();
    }
    return name.isEmpty() ? QStringLiteral("talvex") : name;
}

std::string Printable(const QString& path)
{
    return QDir::toNativeSeparators(path).toUtf8().toStdString();
}

// Makes the default log folder and points glog at it; returns why it may not be used,
// empty when it may. Each level is made and checked as every folder of ours in the
// user's home is: a root run given another user's home (sudo without -H) would
// otherwise follow that user's planted link and create folders and log files wherever
// it leads, or write its log into a folder that user owns and reads.
std::string UseDefaultLogFolder(const LoggingApi& glog, const QString& codeName)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QStringList parts{QStringLiteral("Talvex"), codeName, QStringLiteral("Logs")};
    QString problem;
    const QString failed = Native::MakePrivateFolders(data, parts, &problem);
    const QString folder = data + QLatin1Char('/') + parts.join(QLatin1Char('/'));
    if (failed.isEmpty()) {
        *glog.logDir = Printable(folder);
        return std::string();
    }
    const std::string separator = failed == data ? ": " : " ";
    return "Log files are not written to " + Printable(folder) + ": " + Printable(failed) + separator +
           problem.toUtf8().toStdString() + "; logging to standard error only";
}

void Initialize(const LoggingApi& glog)
{
    const QString codeName = CodeName();
    std::string refusal;
    if (glog.logDir->empty() && !*glog.logToStderr) {
        refusal = UseDefaultLogFolder(glog, codeName);
        // glog's own fall-back is the system's temporary folder, which every user shares.
        *glog.logToStderr = !refusal.empty();
    }
    // glog keeps the pointer for the life of the process.
    static const std::string* const programName = new std::string(codeName.toStdString());
    glog.initialize(programName->c_str());
    if (!refusal.empty()) {
        TALVEX_LOG(ERROR) << refusal;
    }
}

} // namespace

void InitGlog(const std::string& arguments)
{
    const LoggingApi* glog = Glog();
    if (!glog) {
        return;
    }
    std::lock_guard<std::mutex> guard(SetupLock());
    ApplyEnvironment(*glog);
    ApplyArguments(*glog, arguments);
    if (!glog->isInitialized()) {
        Initialize(*glog);
    }
}

} // namespace Talvex::App
