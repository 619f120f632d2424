// Usage: StartupWithoutLibrary <root folder>
// The work of StartupProcess's "full" start done as plainly as Qt and glog allow, in a
// program that does not link the library: glog set up and the start's INFO line
// written, the two stores opened, the theme's bundles registered by name (Qt maps
// them), the font named in a manifest registered from Qt's mapping without a copy and
// the style sheets applied as they are. What this costs, any library doing the same
// work costs at least. One turn of the event loop, the shut-down, then the peak
// resident memory, as the other start-up programs.
#include "FirstTurn.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QResource>
#include <QSettings>
#include <QStandardPaths>

#include <glog/logging.h>

namespace {

void RegisterFonts(const QString& manifestPath)
{
    QFile manifest(manifestPath);
    if (!manifest.open(QIODevice::ReadOnly)) {
        return;
    }
    for (const QByteArray& line : manifest.readAll().split('\n')) {
        const QResource font(QString::fromUtf8(line.trimmed()));
        if (font.isValid() && font.data() && font.compressionAlgorithm() == QResource::NoCompression) {
            QFontDatabase::addApplicationFontFromData(
                QByteArray::fromRawData(reinterpret_cast<const char*>(font.data()), static_cast<int>(font.size())));
        }
    }
}

void Run(int& argc, char** argv, const char* root)
{
    QApplication app(argc, argv);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QDir().mkpath(folder + "/logs");
    FLAGS_log_dir = (folder + "/logs").toStdString();
    google::InitGoogleLogging("clipforge");
    LOG(INFO) << "Product Version: 20.1.2";
    QSettings general(folder + "/general.ini", QSettings::IniFormat);
    QSettings product(folder + "/product.ini", QSettings::IniFormat);
    general.value("Language");
    product.value("Theme");
    QString sheet;
    const QDir theme(QString::fromLocal8Bit(root) + "/resources/themes/Light");
    for (const QFileInfo& bundle : theme.entryInfoList({QStringLiteral("*.rcc")}, QDir::Files, QDir::Name)) {
        QResource::registerResource(bundle.absoluteFilePath());
        const QString prefix = ":/" + bundle.baseName() + "/";
        for (const char* name : {"style.qss", "fonts_linux.qss"}) {
            QFile file(prefix + name);
            if (file.open(QIODevice::ReadOnly)) {
                sheet += QString::fromUtf8(file.readAll());
            }
        }
        RegisterFonts(prefix + "fonts.manifest");
    }
    app.setStyleSheet(sheet);
    Talvex::Bench::RunOneTurn("Startup.firstTurn/WithoutLibrary:1");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        return 2;
    }
    Run(argc, argv, argv[1]);
    google::ShutdownGoogleLogging();
    Talvex::Bench::PrintPeakMemory();
    return 0;
}
