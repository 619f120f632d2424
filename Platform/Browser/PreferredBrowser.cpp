#include "Platform/Browser/PreferredBrowser.h"

#include "Platform/Browser/BrowserCommand.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>

namespace Talvex {
namespace {

struct EngineToken {
    const char* nameFragment;
    const char* token;
};

// Matched against the program's file name, in this order ("chromium-browser" is Chrome-like).
const EngineToken ENGINE_TOKENS[] = {
    {"firefox", "Gecko/20100101 Firefox"},
    {"librewolf", "Gecko/20100101 Firefox"},
    {"opera", "AppleWebKit/537.36 (KHTML, like Gecko) Chrome Safari/537.36 OPR"},
    {"edge", "AppleWebKit/537.36 (KHTML, like Gecko) Chrome Safari/537.36 Edg"},
    {"chrom", "AppleWebKit/537.36 (KHTML, like Gecko) Chrome Safari/537.36"},
    {"brave", "AppleWebKit/537.36 (KHTML, like Gecko) Chrome Safari/537.36"},
    {"vivaldi", "AppleWebKit/537.36 (KHTML, like Gecko) Chrome Safari/537.36"},
    {"epiphany", "AppleWebKit/605.1.15 (KHTML, like Gecko) Version Safari/605.1.15"},
};

QString EngineToken(const QString& program)
{
    const QString name = QFileInfo(program).fileName().toLower();
    for (const auto& entry : ENGINE_TOKENS) {
        if (name.contains(QLatin1String(entry.nameFragment))) {
            return QLatin1String(entry.token);
        }
    }
    return QStringLiteral("(KHTML, like Gecko)");
}

QString PlatformToken(const QString& locale)
{
    QString platform = QStringLiteral("X11; Linux ") + QSysInfo::currentCpuArchitecture();
    if (!locale.isEmpty()) {
        platform += QStringLiteral("; ") + QString(locale).replace(QLatin1Char('_'), QLatin1Char('-'));
    }
    return platform;
}

} // namespace

PreferredBrowser::PreferredBrowser() = default;

PreferredBrowser::~PreferredBrowser() = default;

QString PreferredBrowser::Path() const
{
    return Choose(Context()).program;
}

QString PreferredBrowser::UserAgent() const
{
    const PreferredBrowserContext context = Context();
    return QStringLiteral("Mozilla/5.0 (%1) %2")
        .arg(PlatformToken(context.locale), EngineToken(Choose(context).program));
}

QStringList PreferredBrowser::Command(const QUrl& url) const
{
    return Choose(Context()).Expand(url);
}

Browser::BrowserCommand PreferredBrowser::Choose(const PreferredBrowserContext& context) const
{
    Browser::BrowserCommand command = Browser::ExecutableFile(context.preferredBrowser);
    if (command.IsEmpty()) {
        command = Browser::FromBrowserVariable(qEnvironmentVariable("BROWSER"));
    }
    if (command.IsEmpty()) {
        command = Browser::ExecutableFile(context.installerBrowser);
    }
    if (command.IsEmpty()) {
        command = Browser::DesktopDefault();
    }
    if (command.IsEmpty()) {
        command.program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    }
    return command;
}

} // namespace Talvex
