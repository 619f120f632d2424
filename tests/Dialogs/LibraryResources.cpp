#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

namespace Talvex::Test {
namespace {

const char* const LOCALES[] = {"en_US", "ru_RU", "de_DE", "fr_FR", "es_ES", "it_IT", "ja_JP",
                               "nl_NL", "pl_PL", "pt_BR", "tr_TR", "zh_CN", "ko_KR", "zh_TW"};

// Image decoding needs a Gui application for its plugins (GIF).
class LibraryResources : public ::testing::Test {
protected:
    int argc = 1;
    char name[16] = "resources-test";
    char* argv[2] = {name, nullptr};
    QGuiApplication application{argc, argv};
};

TEST_F(LibraryResources, EveryPictureDecodesAndEverySoundIsPcmWave)
{
    QStringList pictures{":/Icons/large_icon.png", ":/Icons/activation.png", ":/Splash/splash.gif"};
    for (const char* locale : LOCALES) {
        pictures << QString(":/About/about_%1.png").arg(locale)
                 << QString(":/PlayerBackground/background_%1.png").arg(locale);
    }
    for (const QString& path : pictures) {
        SCOPED_TRACE(path.toStdString());
        const QImage image(path);
        EXPECT_FALSE(image.isNull());
        EXPECT_GT(image.width(), 0);
    }
    for (const char* path : {":/Sounds/TranscodingError.wav", ":/Sounds/TranscodingSuccess.wav"}) {
        SCOPED_TRACE(path);
        QFile sound(path);
        ASSERT_TRUE(sound.open(QIODevice::ReadOnly));
        const QByteArray bytes = sound.readAll();
        ASSERT_GT(bytes.size(), 44);
        EXPECT_TRUE(bytes.startsWith("RIFF"));
        EXPECT_EQ(bytes.mid(8, 8), "WAVEfmt ");
        EXPECT_EQ(bytes.mid(36, 4), "data");
    }
}

// A splash of one colour per band would hide a broken compressor behind a valid header.
TEST_F(LibraryResources, SplashKeepsItsPictureThroughCompression)
{
    const QImage splash(":/Splash/splash.gif");
    ASSERT_FALSE(splash.isNull());
    EXPECT_EQ(splash.size(), QSize(420, 240));
    QSet<QRgb> colours;
    for (int y = 0; y < splash.height(); y += 7) {
        for (int x = 0; x < splash.width(); x += 5) {
            colours.insert(splash.pixel(x, y));
        }
    }
    EXPECT_GT(colours.size(), 32);
}

} // namespace
} // namespace Talvex::Test
