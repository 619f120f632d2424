#include "App/Application/CrashTracker.h"

#include "App/Application/CrashSessionFolder.h"
#include "Platform/Logging/LogLine.h"
#include "Platform/Native/FileWriteGuard.h"
#include "Platform/Native/OwnedFolder.h"
#include "Platform/Util/IsProcessRunning.h"
#include "Platform/Util/TextConversion.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <QTimer>

namespace Talvex::App {
namespace {

// How soon a claim that could not be given up because the guard was busy is tried again.
const int CLAIM_RETRY_MS = 25;

QString SessionFilePath()
{
    return CrashSessionFolder() + QDir::separator() + QFileInfo(QCoreApplication::applicationFilePath()).baseName() +
           QStringLiteral(".ini");
}

// QSettings reads whatever the path leads to and saves by renaming a new file over it
// in its folder, through a link as well. A link or a FIFO planted there by another
// user, or by a user whose home a root run was given, would have us read or replace a
// file that is not ours. So the two folders below the data folder are made and kept as
// ours alone, nothing is created in another user's space, and the file, when present,
// must be a regular file of ours, claimed as ours when a umask left it open to our
// group. Returns what is wrong, empty when the file may be read
// and saved.
QString SessionFileProblem(const QString& file)
{
    const QString folder = QFileInfo(file).absolutePath();
    const QString talvexFolder = QFileInfo(folder).absolutePath();
    const QString dataFolder = QFileInfo(talvexFolder).absolutePath();
    QString problem;
    const QString failed = Native::MakePrivateFolders(
        dataFolder, {QFileInfo(talvexFolder).fileName(), QFileInfo(folder).fileName()}, &problem);
    if (failed == dataFolder) {
        return QStringLiteral("the data folder ") + QDir::toNativeSeparators(dataFolder) + QStringLiteral(": ") +
               problem;
    }
    if (!failed.isEmpty()) {
        return QStringLiteral("its folder ") + QDir::toNativeSeparators(failed) + QLatin1Char(' ') + problem;
    }
    // A dangling link does not "exist", but it is there all the same.
    const QFileInfo present(file);
    if ((present.exists() || present.isSymLink()) && !Native::ClaimOwnedFile(file, &problem)) {
        return QStringLiteral("it ") + problem;
    }
    return QString();
}

// The ERROR line for a refused file, empty when the file may be used.
std::string SessionFileRefusal(const QString& file)
{
    const QString problem = SessionFileProblem(file);
    if (problem.isEmpty()) {
        return std::string();
    }
    std::string refusal = "Crash sessions are not tracked in " + Util::QStringToUtf8(QDir::toNativeSeparators(file)) +
                          ": " + Util::QStringToUtf8(problem);
    TALVEX_LOG(ERROR) << refusal;
    return refusal;
}

// An empty name for a file that must not even be read: the store then holds nothing
// and, as the tracker never writes to a refused store, saves nothing either.
QString CheckedSessionFilePath()
{
    const QString file = SessionFilePath();
    return SessionFileRefusal(file).empty() ? file : QString();
}

QString OwnKey()
{
    return QString::number(QCoreApplication::applicationPid());
}

// A crash claimed by this process: "<our pid>/<n>", the group named after the claimant.
QString ClaimKey(size_t index)
{
    return OwnKey() + QLatin1Char('/') + QString::number(index);
}

// Whether the record, or claimed crash, under `key` is left to its owner: with
// `othersToo`, every process that still runs this executable; without, everyone but us.
// Claims are groups named after their claimant. Anything under our own process id was
// left by an earlier holder of that id that died: this tracker has written nothing
// before its sweep is over, and no other start takes what a live process id holds.
bool IsTaken(const QString& key, const QString& executable, bool othersToo)
{
    // A key that is not a number reads as process 0, which never runs us.
    const QString owner = key.section(QLatin1Char('/'), 0, 0);
    return owner != OwnKey() && (!othersToo || Util::IsProcessRunning(owner.toULong(), executable));
}

std::string NewSessionId()
{
    // A number drawn at random from 900,000, one per start, is shared by two of the few
    // dozen instances that a burst of starts puts into one second often enough to merge
    // their crash reports now and then (about one run in fifty of 800 starts). So the
    // number is the process id and the millisecond of the start, in the same range:
    // instances running at the same time never share a process id, and the process
    // itself gets another number in every millisecond. Two starts in one second get the
    // same number only in the same millisecond with process ids a multiple of 900 apart.
    const auto pid = static_cast<quint64>(QCoreApplication::applicationPid());
    const auto millisecond = static_cast<quint64>(QTime::currentTime().msec());
    const quint64 suffix = (pid * 1000 + millisecond) % 900000 + 100000;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyMMdd-HHmmss"));
    return Util::QStringToUtf8(stamp + QLatin1Char('-') + QString::number(suffix));
}

} // namespace

CrashTracker::CrashTracker() : sessionStore(CheckedSessionFilePath(), QSettings::IniFormat), sessionId(NewSessionId())
{
    StartSession();
}

CrashTracker::~CrashTracker()
{
    RemoveOwnRecord();
    badSessions.clear();
}

bool CrashTracker::StoreIsSafe() const
{
    // The check is repeated before every save, not only at construction: the file is
    // replaced on each save, and a run lasts long.
    return !sessionStore.fileName().isEmpty() && SessionFileRefusal(sessionStore.fileName()).empty();
}

// Every change happens under the file's guard and starts from the file as it is now,
// so instances starting, stopping and sweeping at once never lose each other's records
// and a dead record is reported by exactly one of them.
void CrashTracker::RemoveOwnRecord()
{
    if (!recorded || !StoreIsSafe()) {
        return;
    }
    recorded = false;
    claimed = false;
    const Native::FileWriteGuard guard(sessionStore.fileName());
    sessionStore.sync();
    // Removing a key removes its group too: the claim, if it was never handed over, goes
    // in the same write.
    sessionStore.remove(OwnKey());
    sessionStore.sync();
}

void CrashTracker::StartSession()
{
    // Construction has just checked the file and its folders (an empty name when it
    // refused them); checking again here would only repeat that work at every start.
    if (sessionStore.fileName().isEmpty()) {
        return;
    }
    const Native::FileWriteGuard guard(sessionStore.fileName());
    sessionStore.sync();
    // Without the guard another start may be sweeping the same records at this moment:
    // they are left to a later start rather than reported twice. What is under our own
    // process id is ours alone, and writing our record would otherwise bury it.
    CollectDeadSessions(guard.IsHeld());
    sessionStore.setValue(OwnKey(), Util::Utf8ToQString(sessionId));
    recorded = true;
    // On disk before the program does anything that could crash.
    sessionStore.sync();
}

void CrashTracker::CollectDeadSessions(bool othersToo)
{
    const QString executable = QCoreApplication::applicationFilePath();
    // Values first, removals after: removing a dead record also removes a claim of the
    // same process id that the walk has yet to read.
    QStringList dead;
    for (const QString& key : sessionStore.allKeys()) {
        if (!IsTaken(key, executable, othersToo)) {
            badSessions.push_back(Util::QStringToUtf8(sessionStore.value(key).toString()));
            dead << key;
        }
    }
    for (const QString& key : dead) {
        sessionStore.remove(key);
    }
    WriteClaim();
}

// The dead records move into a claim of ours instead of leaving the file: a start
// killed between its sweep and the product's taking of the list would otherwise take
// those crashes with it. While we run, other starts leave the claim alone; once we are
// dead, the next start sweeps it like any dead record. Numbered entries, because dead
// records from different claims may share a process id.
void CrashTracker::WriteClaim()
{
    for (size_t index = 0; index < badSessions.size(); ++index) {
        sessionStore.setValue(ClaimKey(index), Util::Utf8ToQString(badSessions[index]));
    }
    claimed = !badSessions.empty();
}

// Handing the list over ends the claim: from now on reporting is the product's part.
// The list is taken on the GUI thread, which must not freeze while another instance
// holds the guard; the claim then stays until the guard is free. A crash of ours in
// between only has the next start report these crashes once more.
void CrashTracker::ReleaseClaim() const
{
    if (!claimed || !StoreIsSafe()) {
        return;
    }
    const Native::FileWriteGuard guard(sessionStore.fileName(), 0);
    if (guard.IsBusy()) {
        ReleaseClaimLater();
        return;
    }
    claimed = false;
    sessionStore.sync();
    for (size_t index = 0; index < badSessions.size(); ++index) {
        sessionStore.remove(ClaimKey(index));
    }
    sessionStore.sync();
}

// Without an event loop nothing comes back here; StopSession then removes the claim
// together with our record.
void CrashTracker::ReleaseClaimLater() const
{
    if (!QCoreApplication::instance()) {
        return;
    }
    if (!claimRetry) {
        claimRetry = std::make_unique<QTimer>();
        claimRetry->setSingleShot(true);
        claimRetry->setInterval(CLAIM_RETRY_MS);
        QObject::connect(claimRetry.get(), &QTimer::timeout, claimRetry.get(), [this] { ReleaseClaim(); });
    }
    // One timer, started only when idle: each hand-over while the guard is busy comes
    // here, and must not add a retry chain of its own.
    if (!claimRetry->isActive()) {
        claimRetry->start();
    }
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
    ReleaseClaim();
    return badSessions;
}

void CrashTracker::ClearHistory()
{
    badSessions.clear();
    claimed = false;
    if (!StoreIsSafe()) {
        return;
    }
    recorded = false;
    const Native::FileWriteGuard guard(sessionStore.fileName());
    // Read first: clear() forgets only the keys of the copy last read, and records
    // written since then by other instances must go too.
    sessionStore.sync();
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
