#include "App/Application/LookAndFeel/LookAndFeelManager.h"
#include "App/Application/LookAndFeel/PlaceholderSubstitution.h"
#include "Platform/Util/FontDatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QResource>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>
#include <memory>

namespace {

// A realistic theme: 4 bundles, about 200 KB of style sheets, 300 placeholders of
// which half extend a shorter one ("@font7" and "@font7Bold"), each used about 5
// times, and one font. Themes "One" and "Two" hold the same bytes so that switching
// back and forth always does the same work.
constexpr int BUNDLES = 4;
constexpr int PLACEHOLDERS = 300;
constexpr int USES = 5;
constexpr int SHEET_BYTES = 200 * 1024;
const std::array<const char*, 2> THEMES{"One", "Two"};

QString Placeholder(int index)
{
    return QStringLiteral("font%1%2").arg(index / 2).arg(index % 2 ? "Bold" : "");
}

QString SheetText(int bundle, int bytes)
{
    QString text;
    for (int rule = 0; text.size() < bytes; ++rule) {
        const int use = (bundle * 100003 + rule * 7) % (PLACEHOLDERS * USES);
        text += QStringLiteral("QWidget#item%1_%2 QLabel { color: #%3; padding: 2px 4px; border: 1px solid #3a3a3a; ")
                    .arg(bundle)
                    .arg(rule)
                    .arg(rule * 2654435761u % 0xffffff, 6, 16, QLatin1Char('0'));
        // Spread the uses evenly: one placeholder reference in every few rules.
        if (rule % 3 == 0) {
            text += QStringLiteral("font-family: @%1; ").arg(Placeholder(use % PLACEHOLDERS));
        }
        text += QStringLiteral("}\n");
    }
    return text;
}

QByteArray FontsJson(int bundle)
{
    QByteArray members;
    for (int i = bundle; i < PLACEHOLDERS; i += BUNDLES) {
        members += (members.isEmpty() ? "" : ", ") +
                   QStringLiteral("\"%1\": \"Family %2\"").arg(Placeholder(i)).arg(i).toUtf8();
    }
    return "{ \"all_platforms\": { \"all_languages\": { " + members + " } } }";
}

void Write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}

class ThemeData {
public:
    ThemeData()
    {
        // 1500 uses in 4 bundles: a rule with a placeholder every third rule, about
        // 130 bytes a rule, gives roughly the wanted size at 200 KB.
        for (int bundle = 0; bundle < BUNDLES; ++bundle) {
            const QString name = QStringLiteral("B%1").arg(bundle);
            const QString source = root.filePath("src/" + name);
            Write(source + "/style.qss", SheetText(bundle, SHEET_BYTES / BUNDLES * 4 / 5).toUtf8());
            Write(source + "/fonts_linux.qss", SheetText(bundle + BUNDLES, SHEET_BYTES / BUNDLES / 5).toUtf8());
            Write(source + "/fonts.json", FontsJson(bundle));
            QByteArray files = "<file>style.qss</file><file>fonts_linux.qss</file><file>fonts.json</file>";
            if (bundle == 0) {
                Write(source + "/fonts.manifest", ":/B0/font.ttf\n");
                files += "<file>fonts.manifest</file><file alias=\"font.ttf\">" TALVEX_BENCH_FONT "</file>";
            }
            Write(source + "/bundle.qrc",
                  "<RCC><qresource prefix=\"/" + name.toUtf8() + "\">" + files + "</qresource></RCC>");
            const QString bundleFile = root.filePath("resources/themes/One/" + name + ".rcc");
            QDir().mkpath(QFileInfo(bundleFile).absolutePath());
            QProcess::execute(TALVEX_RCC, {"-binary", source + "/bundle.qrc", "-o", bundleFile});
            QDir().mkpath(root.filePath("resources/themes/Two"));
            QFile::copy(bundleFile, root.filePath("resources/themes/Two/" + name + ".rcc"));
        }
        for (const char* theme : THEMES) {
            Write(root.filePath(QStringLiteral("resources/themes/%1/theme.json").arg(theme)), "{\"en_US\": \"Bench\"}");
        }
    }

    QString Root() const { return root.path(); }
    QString Bundle(int theme, int bundle) const
    {
        return root.filePath(QStringLiteral("resources/themes/%1/B%2.rcc").arg(THEMES[theme]).arg(bundle));
    }

private:
    QTemporaryDir root;
};

const ThemeData& Data()
{
    static const ThemeData data;
    return data;
}

qint64 ReadThrough(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? file.readAll().size() : 0;
}

// What any theme switch must do: swap the mounted bundles, read their files through
// the resource system and register the font.
void SwapBundlesReadAndRegisterFont(int theme)
{
    for (int bundle = 0; bundle < BUNDLES; ++bundle) {
        QResource::unregisterResource(Data().Bundle(1 - theme, bundle));
    }
    qint64 bytes = 0;
    for (int bundle = 0; bundle < BUNDLES; ++bundle) {
        QResource::registerResource(Data().Bundle(theme, bundle));
        const QString prefix = QStringLiteral(":/B%1/").arg(bundle);
        for (const char* file : {"style.qss", "fonts_linux.qss", "fonts.json", "fonts.manifest"}) {
            bytes += ReadThrough(prefix + file);
        }
    }
    Talvex::Util::FontDatabase::addApplicationFont(QStringLiteral(":/B0/font.ttf"));
    benchmark::DoNotOptimize(bytes);
}

void ThemeSwitchBaseline(benchmark::State& state)
{
    int theme = 0;
    for (auto _ : state) {
        theme = 1 - theme;
        SwapBundlesReadAndRegisterFont(theme);
    }
    for (int bundle = 0; bundle < BUNDLES; ++bundle) {
        QResource::unregisterResource(Data().Bundle(theme, bundle));
    }
}

void ThemeSwitchSetTheme(benchmark::State& state)
{
    Talvex::App::LookAndFeelManager manager(Talvex::ioPath(Data().Root()), "theme.json", {});
    manager.SetTheme(THEMES[0]);
    if (manager.GetUnitedStylesheet().find("@font") != std::string::npos) {
        state.SkipWithError("placeholders left in the style sheet");
    }
    int theme = 0;
    for (auto _ : state) {
        theme = 1 - theme;
        manager.SetTheme(THEMES[static_cast<std::size_t>(theme)]);
    }
    state.counters["sheetBytes"] = static_cast<double>(manager.GetUnitedStylesheet().size());
    manager.SetTheme(std::string());
}

// The floor plus the one-replace-per-placeholder loop over the assembled text: what
// the substitution would cost without the single scan.
void ThemeSwitchReferenceLoop(benchmark::State& state)
{
    Talvex::App::LookAndFeelManager manager(Talvex::ioPath(Data().Root()), "theme.json", {});
    manager.SetTheme(THEMES[0]);
    manager.SetTheme(std::string());
    QMap<QString, QString> substitutions;
    for (int i = 0; i < PLACEHOLDERS; ++i) {
        substitutions.insert("@" + Placeholder(i), QStringLiteral("Family %1").arg(i));
    }
    QString sheet;
    for (int bundle = 0; bundle < BUNDLES; ++bundle) {
        sheet += SheetText(bundle, SHEET_BYTES / BUNDLES * 4 / 5) + '\n' +
                 SheetText(bundle + BUNDLES, SHEET_BYTES / BUNDLES / 5) + '\n';
    }
    int theme = 0;
    for (auto _ : state) {
        theme = 1 - theme;
        SwapBundlesReadAndRegisterFont(theme);
        QString text = sheet;
        Talvex::App::PlaceholderSubstitution::ApplyByLoop(text, substitutions);
        benchmark::DoNotOptimize(text.size());
    }
    for (int bundle = 0; bundle < BUNDLES; ++bundle) {
        QResource::unregisterResource(Data().Bundle(theme, bundle));
    }
}

} // namespace

// Every switch registers the theme's font once more and Qt keeps each copy (some
// hundred MB over the whole run); the repetitions are kept few for that reason.
BENCHMARK(ThemeSwitchBaseline)
    ->Name("ThemeSwitch/baseline")

    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ThemeSwitchSetTheme)
    ->Name("ThemeSwitch/SetTheme")

    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ThemeSwitchReferenceLoop)
    ->Name("ThemeSwitch/referenceLoop")

    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);
