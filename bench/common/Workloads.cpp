#include "common/Workloads.h"

#include "Platform/Util/FontDatabase.h"

#include <QDir>
#include <QFile>
#include <QResource>

namespace Talvex::Bench {

const char* const BENCH_THEMES[2] = {"Light", "Dark"};

namespace {

qint64 ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().size() : 0;
}

} // namespace

std::vector<std::string> SettingsKeys()
{
    std::vector<std::string> keys;
    for (int i = 0; i < 10000; ++i) {
        keys.push_back(
            QStringLiteral("group_%1/setting_key_%2").arg(i / 100, 3, 10, QLatin1Char('0')).arg(i % 100).toStdString());
    }
    return keys;
}

std::vector<QString> QtKeys(const std::vector<std::string>& keys)
{
    std::vector<QString> result;
    for (const std::string& key : keys) {
        result.push_back(QString::fromStdString(key));
    }
    return result;
}

std::string PathValue(int index)
{
    return QStringLiteral("/home/u/Videos/Holiday %1/clip_%2.mp4")
        .arg(index % 40)
        .arg(index * 7919 % 10000)
        .toStdString();
}

void RawSetInt(QSettings& settings, const QString& key, int value)
{
    const QVariant newValue(value);
    if (settings.value(key) != newValue) {
        settings.setValue(key, newValue);
    }
}

QString BenchThemeRoot()
{
    return QStringLiteral(TALVEX_BENCH_THEME_ROOT);
}

ThemeSwitchFloor::~ThemeSwitchFloor()
{
    for (const QString& bundle : mounted) {
        QResource::unregisterResource(bundle);
    }
}

void ThemeSwitchFloor::Switch(int theme)
{
    for (const QString& bundle : mounted) {
        QResource::unregisterResource(bundle);
    }
    mounted.clear();
    const QDir folder(BenchThemeRoot() + QStringLiteral("/resources/themes/") + QLatin1String(BENCH_THEMES[theme]));
    qint64 bytes = 0;
    for (const char* name : {"main", "controls", "dialogs", "player"}) {
        mounted.append(folder.filePath(QLatin1String(name) + QStringLiteral(".rcc")));
        QResource::registerResource(mounted.last());
        for (const char* file : {"style.qss", "fonts_linux.qss", "fonts.json", "fonts.manifest"}) {
            bytes += ReadAll(QStringLiteral(":/%1/%2").arg(QLatin1String(name), QLatin1String(file)));
        }
    }
    bytes += ReadAll(QStringLiteral(":/productStyle.qss")) + ReadAll(QStringLiteral(":/productStyle_linux.qss"));
    Util::FontDatabase::addApplicationFont(QStringLiteral(":/main/fonts/sans.ttf"));
    if (bytes == 0) {
        qFatal("the benchmark theme is missing under %s", qPrintable(BenchThemeRoot()));
    }
}

} // namespace Talvex::Bench
