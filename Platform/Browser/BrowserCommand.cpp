#include "Platform/Browser/BrowserCommand.h"

#include "Platform/Qt/TextStreamEncoding.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

namespace Talvex::Browser {
namespace {

const QString HTTP_HANDLER_KEY = QStringLiteral("x-scheme-handler/http");

bool IsExecutableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

QString ResolveProgram(const QString& program)
{
    if (program.contains(QLatin1Char('/'))) {
        return IsExecutableFile(program) ? QFileInfo(program).absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(program);
}

BrowserCommand FromCommandLine(const QString& commandLine)
{
    QStringList parts = QProcess::splitCommand(commandLine);
    if (parts.isEmpty()) {
        return {};
    }
    const QString program = ResolveProgram(parts.takeFirst());
    if (program.isEmpty()) {
        return {};
    }
    return {program, parts};
}

// Value of `key` in the `[group]` section of a desktop-entry style file; empty when absent.
QString ReadEntry(const QString& path, const QString& group, const QString& key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    QTextStream in(&file);
    QtCompat::SetUtf8(in);
    const QString header = QLatin1Char('[') + group + QLatin1Char(']');
    bool inGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == header;
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (inGroup && equals > 0 && QStringView(line).left(equals).trimmed() == key) {
            return line.mid(equals + 1).trimmed();
        }
    }
    return {};
}

QStringList MimeAppsFiles()
{
    QStringList files;
    const auto locations = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation) +
                           QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    for (const QString& folder : locations) {
        files << folder + QStringLiteral("/mimeapps.list");
    }
    return files;
}

BrowserCommand FromDesktopEntry(const QString& desktopId)
{
    const QString entry = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId);
    if (entry.isEmpty()) {
        return {};
    }
    return FromCommandLine(ReadEntry(entry, QStringLiteral("Desktop Entry"), QStringLiteral("Exec")));
}

bool IsAddressPlace(const QString& argument)
{
    static const QStringList places = {QStringLiteral("%u"), QStringLiteral("%U"), QStringLiteral("%f"),
                                       QStringLiteral("%F")};
    return places.contains(argument);
}

bool IsIgnoredFieldCode(const QString& argument)
{
    static const QStringList codes = {QStringLiteral("%i"), QStringLiteral("%c"), QStringLiteral("%k")};
    return codes.contains(argument);
}

} // namespace

QStringList BrowserCommand::Expand(const QUrl& url) const
{
    if (IsEmpty()) {
        return {};
    }
    const QString address = url.toString(QUrl::FullyEncoded);
    QStringList result{program};
    bool placed = false;
    for (const QString& argument : arguments) {
        if (IsIgnoredFieldCode(argument)) {
            continue;
        }
        if (IsAddressPlace(argument) || argument.contains(QLatin1String("%s"))) {
            result << (IsAddressPlace(argument) ? address : QString(argument).replace(QLatin1String("%s"), address));
            placed = true;
            continue;
        }
        result << argument;
    }
    if (!placed) {
        result << address;
    }
    return result;
}

BrowserCommand ExecutableFile(const QString& path)
{
    if (path.isEmpty() || !IsExecutableFile(path)) {
        return {};
    }
    return {QFileInfo(path).absoluteFilePath(), {}};
}

BrowserCommand FromBrowserVariable(const QString& value)
{
    for (const QString& entry : value.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        BrowserCommand command = FromCommandLine(entry);
        if (!command.IsEmpty()) {
            return command;
        }
    }
    return {};
}

BrowserCommand DesktopDefault()
{
    for (const QString& file : MimeAppsFiles()) {
        const QString handlers = ReadEntry(file, QStringLiteral("Default Applications"), HTTP_HANDLER_KEY);
        for (const QString& desktopId : handlers.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            BrowserCommand command = FromDesktopEntry(desktopId.trimmed());
            if (!command.IsEmpty()) {
                return command;
            }
        }
    }
    return {};
}

} // namespace Talvex::Browser
