#include "App/Application/CrashTracker.h"

#include "App/Application/BuildConstants.h"
#include "Platform/Native/FileWriteGuard.h"
#include "Platform/Util/IsProcessRunning.h"
#include "Platform/Util/TextConversion.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTime>

namespace Talvex::App {
namespace {

QString SessionFilePath()
{
    const QString separator = QDir::separator();
    const QString productFolder = QStringLiteral("%1 %2.%3")
                                      .arg(QLatin1String(Build::PRODUCT_NAME), QLatin1String(Build::MAJOR_VERSION),
                                           QLatin1String(Build::MINOR_VERSION));
    return QStandardPaths::writableLocation(QStandardPaths::DataLocation) + separator + QStringLiteral("Talvex") +
           separator + productFolder + separator + QFileInfo(QCoreApplication::applicationFilePath()).baseName() +
           QStringLiteral(".ini");
}

QString OwnKey()
{
    return QString::number(QCoreApplication::applicationPid());
}

std::string NewSessionId()
{
    // qrand keeps the suffix reproducible from the seed; its deprecation in favour of
    // QRandomGenerator does not apply here. The millisecond of the start alone would
    // give instances started together the same identifier and merge their crash
    // reports, so the process id is mixed in.
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    const auto pid = static_cast<uint>(QCoreApplication::applicationPid());
    qsrand(static_cast<uint>(QTime::currentTime().msec()) ^ (pid * 2654435761u));
    const int suffix = qrand() % 900000 + 100000;
    QT_WARNING_POP
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyMMdd-HHmmss"));
    return Util::QStringToUtf8(stamp + QLatin1Char('-') + QString::number(suffix));
}

} // namespace

CrashTracker::CrashTracker() : sessionStore(SessionFilePath(), QSettings::IniFormat), sessionId(NewSessionId())
{
    StartSession();
}

CrashTracker::~CrashTracker()
{
    RemoveOwnRecord();
    badSessions.clear();
}

// Every change happens under the file's guard and starts from the file as it is now,
// so instances starting, stopping and sweeping at once never lose each other's records
// and a dead record is reported by exactly one of them.
void CrashTracker::RemoveOwnRecord()
{
    if (!recorded) {
        return;
    }
    recorded = false;
    const Native::FileWriteGuard guard(sessionStore.fileName());
    sessionStore.sync();
    sessionStore.remove(OwnKey());
    sessionStore.sync();
}

void CrashTracker::StartSession()
{
    const Native::FileWriteGuard guard(sessionStore.fileName());
    sessionStore.sync();
    const QString executable = QCoreApplication::applicationFilePath();
    for (const QString& key : sessionStore.allKeys()) {
        // A key that is not a number reads as process 0, which never runs us.
        if (!Util::IsProcessRunning(key.toULong(), executable)) {
            badSessions.push_back(Util::QStringToUtf8(sessionStore.value(key).toString()));
            sessionStore.remove(key);
        }
    }
    sessionStore.setValue(OwnKey(), Util::Utf8ToQString(sessionId));
    recorded = true;
    // On disk before the program does anything that could crash.
    sessionStore.sync();
}

void CrashTracker::StopSession()
{
    RemoveOwnRecord();
}

bool CrashTracker::HasUnreportedCrash() const
{
    return !badSessions.empty();
}

std::deque<std::string> CrashTracker::BadSessionsList() const
{
    return badSessions;
}

void CrashTracker::ClearHistory()
{
    badSessions.clear();
    recorded = false;
    const Native::FileWriteGuard guard(sessionStore.fileName());
    sessionStore.clear();
    // Written at once rather than at the next event-loop pass: a crash right after
    // clearing must not bring the old records back.
    sessionStore.sync();
}

std::string CrashTracker::SessionId() const
{
    return sessionId;
}

} // namespace Talvex::App
