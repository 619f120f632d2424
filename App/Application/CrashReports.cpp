#include "App/Application/CrashReports.h"

#include "App/Application/CrashSessionFolder.h"
#include "Platform/Logging/LogLine.h"
#include "Platform/Native/CrashHandler.h"
#include "Platform/Native/CrashSymbolizer.h"
#include "Platform/Native/OwnedFolder.h"
#include "Platform/Util/EndsWith.h"
#include "Platform/Util/TextConversion.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <TalvexVersion.h>

namespace Talvex::App {
namespace {

const char CUT_NOTE[] = "\n(The report ends here: the process was stopped while writing it.)\n";

// Session ids are "yyMMdd-HHmmss-NNNNNN": nothing else in the folder (a save in
// progress, a stray file) passes for a report.
bool IsReportName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{6}-\\d{6}-\\d{6}\\.txt$"));
    return pattern.match(name).hasMatch();
}

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The ERROR line refusing the folder when it, or the session folder holding it, is not
// ours alone; empty when it may be used.
std::string FolderRefusal(const QString& folder)
{
    QString problem;
    const QString parent = QFileInfo(folder).absolutePath();
    if (Native::IsOwnedFolder(parent, &problem)) {
        if (Native::ClaimOwnedFolder(folder, &problem, true)) {
            return std::string();
        }
    }
    return "Crash reports are not kept in " + Util::QStringToUtf8(Native(folder)) + ": " + Util::QStringToUtf8(problem);
}

// Judged by the owner's permission bits rather than by a try, which a root run would
// pass: a folder its owner made read-only is respected, and a handler that fails at the
// crash could tell nobody.
QString WriteProblem(const QString& folder)
{
    struct stat status {};
    if (stat(QFile::encodeName(folder).constData(), &status) != 0) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    const mode_t needed = S_IWUSR | S_IXUSR;
    return (status.st_mode & needed) == needed ? QString() : QStringLiteral("it is not writable");
}

// When the entry at `path` (a link itself, not what it leads to) was last written, in
// nanoseconds; 0 when it cannot be examined.
qint64 WrittenAt(const QString& path)
{
    struct stat status {};
    if (lstat(QFile::encodeName(path).constData(), &status) != 0) {
        return 0;
    }
    return static_cast<qint64>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
}

} // namespace

QString CrashReports::DefaultFolder()
{
    return CrashSessionFolder() + QDir::separator() + QStringLiteral("crashes");
}

CrashReports::CrashReports(const QString& folder, const std::string& sessionId) : folder(folder), sessionId(sessionId)
{
    const std::string refusal = FolderRefusal(folder);
    usable = refusal.empty();
    if (!usable) {
        TALVEX_LOG(ERROR) << refusal;
    }
    KeepNewest();
}

CrashReports::~CrashReports()
{
    SetHandlerEnabled(false);
}

QString CrashReports::Folder() const
{
    return usable ? folder : QString();
}

void CrashReports::SetHandlerEnabled(bool enabled)
{
    if (enabled == installed || (enabled && !usable)) {
        return;
    }
    if (!enabled) {
        Native::CrashHandler::Uninstall();
        installed = false;
        return;
    }
    QString problem = WriteProblem(folder);
    installed = problem.isEmpty() &&
                Native::CrashHandler::Install(folder, sessionId, "Talvex " TALVEX_VERSION_STRING, &problem);
    if (!installed) {
        TALVEX_LOG(ERROR) << "No crash reports for this run: " << Util::QStringToUtf8(Native(folder)) << ": "
                          << Util::QStringToUtf8(problem);
    }
}

bool CrashReports::IsHandlerEnabled() const
{
    return installed;
}

void CrashReports::SetProduct(const std::string& name, const std::string& version)
{
    Native::CrashHandler::SetProduct(name, version);
}

QStringList CrashReports::ReportNames() const
{
    QStringList names;
    if (!usable) {
        return names;
    }
    const QDir::Filters all = QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot;
    std::vector<std::pair<qint64, QString>> written;
    for (const QString& name : QDir(folder).entryList(all, QDir::Name)) {
        if (IsReportName(name)) {
            written.emplace_back(WrittenAt(QDir(folder).filePath(name)), name);
        }
    }
    // By when each was written: the names hold local times, which run backwards when the
    // time zone moves back (travel, the end of summer time).
    std::stable_sort(written.begin(), written.end(),
                     [](const auto& one, const auto& other) { return one.first < other.first; });
    for (const auto& report : written) {
        names << report.second;
    }
    return names;
}

bool CrashReports::IsOwnReport(const QString& name) const
{
    QString problem;
    const bool own = Native::IsOwnedFile(QDir(folder).filePath(name), &problem);
    if (!own) {
        TALVEX_LOG(ERROR) << "Crash report " << Util::QStringToUtf8(Native(QDir(folder).filePath(name)))
                          << " is left alone: " << Util::QStringToUtf8(problem);
    }
    return own;
}

void CrashReports::KeepNewest() const
{
    RemoveAllBut(KEPT);
}

void CrashReports::Clear() const
{
    RemoveAllBut(0);
}

void CrashReports::RemoveAllBut(int newest) const
{
    // Every name is checked, so that one planted among the newest is told about too; what
    // is not ours takes no report's place among the newest.
    QStringList own;
    for (const QString& name : ReportNames()) {
        if (IsOwnReport(name)) {
            own << name;
        }
    }
    for (int i = 0; i < own.size() - newest; ++i) {
        QFile::remove(QDir(folder).filePath(own[i]));
    }
}

// Opened without following a link and without waiting on a FIFO, then checked as what
// was opened, so that nothing swapped in after a check is read.
std::optional<std::string> CrashReports::Read(const QString& name) const
{
    const QString path = QDir(folder).filePath(name);
    const int fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            IsOwnReport(name);
        }
        return std::nullopt;
    }
    struct stat status {};
    std::optional<std::string> text;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == geteuid() &&
        (status.st_mode & (S_IWGRP | S_IWOTH)) == 0) {
        std::string read(Native::CrashHandler::MAX_REPORT_SIZE, '\0');
        const ssize_t length = ::read(fd, read.data(), read.size());
        if (length >= 0) {
            read.resize(static_cast<size_t>(length));
            text = std::move(read);
        }
    } else {
        TALVEX_LOG(ERROR) << "Crash report " << Util::QStringToUtf8(Native(path)) << " is not a file of ours; not read";
    }
    close(fd);
    return text;
}

void CrashReports::Save(const QString& name, const std::string& text) const
{
    // The report keeps its owner-only permissions (a save replaces the file but copies
    // them) and the time it was written, by which the newest reports are kept.
    const QString path = QDir(folder).filePath(name);
    const QDateTime written = QFileInfo(path).lastModified();
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text.data(), static_cast<qint64>(text.size()));
        file.flush();
        file.setFileTime(written, QFileDevice::FileModificationTime);
        file.commit();
    }
}

std::string CrashReports::Get(const std::string& sessionId) const
{
    const QString name = Util::Utf8ToQString(sessionId) + QStringLiteral(".txt");
    if (!usable || !IsReportName(name)) {
        return std::string();
    }
    const std::optional<std::string> stored = Read(name);
    if (!stored) {
        return std::string();
    }
    std::string text = Native::ResolveCrashReport(*stored);
    if (!Util::EndsWith(text, Native::CrashHandler::END_MARKER) && !Util::EndsWith(text, CUT_NOTE)) {
        text += CUT_NOTE;
    }
    if (text != *stored) {
        Save(name, text);
    }
    return text;
}

} // namespace Talvex::App
