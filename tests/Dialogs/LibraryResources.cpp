#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

// Needs a Gui application for the image plugins (GIF).
TEST(LibraryResources, EveryPictureDecodesAndEverySoundIsPcmWave)
{
    int argc = 1;
    char name[] = "resources-test";
    char* argv[] = {name, nullptr};
    QGuiApplication application(argc, argv);
    QStringList pictures{":/Icons/large_icon.png", ":/Icons/activation.png", ":/Splash/splash.gif"};
    for (const char* locale : {"en_US", "ru_RU", "de_DE", "fr_FR", "es_ES", "it_IT", "ja_JP", "nl_NL", "pl_PL", "pt_BR",
                               "tr_TR", "zh_CN", "ko_KR", "zh_TW"}) {
        pictures << QString(":/About/about_%1.png").arg(locale)
                 << QString(":/PlayerBackground/background_%1.png").arg(locale);
    }
    for (const QString& path : pictures) {
        EXPECT_FALSE(QImage(path).isNull()) << path.toStdString();
    }
    // A broken compressor could still leave a valid header: the splash must keep its detail.
    const QImage splash(":/Splash/splash.gif");
    QSet<QRgb> colours;
    for (int y = 0; y < splash.height(); y += 7) {
        for (int x = 0; x < splash.width(); x += 5) {
            colours.insert(splash.pixel(x, y));
        }
    }
    EXPECT_GT(colours.size(), 32);
    for (const char* path : {":/Sounds/TranscodingError.wav", ":/Sounds/TranscodingSuccess.wav"}) {
        QFile sound(path);
        ASSERT_TRUE(sound.open(QIODevice::ReadOnly)) << path;
        const QByteArray bytes = sound.readAll();
        EXPECT_TRUE(bytes.startsWith("RIFF") && bytes.mid(8, 8) == "WAVEfmt " && bytes.size() > 1000) << path;
    }
}
