// Draws the library's compiled-in pictures and synthesises its two sounds, then writes
// the two .qrc bundles listing them. Run through scripts/generate-resources.sh; the
// output is committed, so the library build needs nothing of this.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <QTextStream>
#include <QtEndian>

#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <vector>

namespace {

const QStringList LOCALES = {"en_US", "ru_RU", "de_DE", "fr_FR", "es_ES", "it_IT", "ja_JP",
                             "nl_NL", "pl_PL", "pt_BR", "tr_TR", "zh_CN", "ko_KR", "zh_TW"};
const QColor ACCENT(0xff, 0x8a, 0x1f);
const QColor DEEP(0x16, 0x2a, 0x4a);
const QColor MID(0x2d, 0x5b, 0x9a);

// ---- pictures -------------------------------------------------------------------

QPainterPath PlayTriangle(const QRectF& box)
{
    QPainterPath path;
    path.moveTo(box.left() + box.width() * 0.30, box.top() + box.height() * 0.22);
    path.lineTo(box.left() + box.width() * 0.80, box.center().y());
    path.lineTo(box.left() + box.width() * 0.30, box.top() + box.height() * 0.78);
    path.closeSubpath();
    return path;
}

void DrawEmblem(QPainter& painter, const QRectF& box)
{
    QLinearGradient fill(box.topLeft(), box.bottomRight());
    fill.setColorAt(0, ACCENT.lighter(120));
    fill.setColorAt(1, ACCENT.darker(130));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(box, box.width() * 0.22, box.height() * 0.22);
    painter.setBrush(Qt::white);
    painter.drawPath(PlayTriangle(box));
}

QImage Canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void FillBackdrop(QPainter& painter, const QRect& area)
{
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0, MID);
    sky.setColorAt(1, DEEP);
    painter.fillRect(area, sky);
}

QImage AboutPicture(const QString& locale)
{
    QImage image = Canvas(480, 200);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    FillBackdrop(painter, image.rect());
    DrawEmblem(painter, QRectF(32, 44, 112, 112));
    painter.setPen(Qt::white);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 34, QFont::Bold));
    painter.drawText(QRect(170, 50, 290, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Talvex"));
    painter.setPen(QColor(255, 255, 255, 190));
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
    painter.drawText(QRect(172, 112, 290, 30), Qt::AlignLeft | Qt::AlignVCenter, locale);
    return image;
}

QImage PlayerBackground(const QString& locale)
{
    QImage image = Canvas(640, 360);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // A vertical gradient: every row is one colour, which compresses well.
    QLinearGradient shade(0, 0, 0, 360);
    shade.setColorAt(0, QColor(0x24, 0x2c, 0x38));
    shade.setColorAt(1, QColor(0x0a, 0x0c, 0x10));
    painter.fillRect(image.rect(), shade);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 28));
    painter.drawEllipse(QPointF(320, 180), 90, 90);
    painter.setBrush(QColor(255, 255, 255, 60));
    painter.drawPath(PlayTriangle(QRectF(262, 122, 116, 116)));
    painter.setPen(QColor(255, 255, 255, 70));
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
    painter.drawText(image.rect().adjusted(0, 0, -14, -10), Qt::AlignRight | Qt::AlignBottom, locale);
    return image;
}

// Sized for a message box beside a few lines of text.
QImage LargeIcon()
{
    QImage image = Canvas(64, 64);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawEmblem(painter, QRectF(3, 3, 58, 58));
    return image;
}

QImage ActivationIcon()
{
    QImage image = Canvas(32, 32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(MID);
    painter.drawEllipse(QRectF(1, 1, 30, 30));
    painter.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF({QPointF(9, 16.5), QPointF(14, 21.5), QPointF(23, 11)}));
    return image;
}

QImage Splash()
{
    QImage image = Canvas(420, 240);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    FillBackdrop(painter, image.rect());
    DrawEmblem(painter, QRectF(40, 64, 112, 112));
    painter.setPen(Qt::white);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 30, QFont::Bold));
    painter.drawText(QRect(176, 70, 230, 56), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Talvex"));
    painter.setPen(QColor(255, 255, 255, 200));
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
    painter.drawText(QRect(178, 124, 230, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Loading..."));
    return image;
}

// ---- GIF: one frame, 256-colour palette, LZW with variable code width ------------

class BitWriter {
public:
    void Put(int code, int width)
    {
        accumulator |= static_cast<quint32>(code) << filled;
        filled += width;
        while (filled >= 8) {
            bytes.append(static_cast<char>(accumulator & 0xff));
            accumulator >>= 8;
            filled -= 8;
        }
    }
    QByteArray Finish()
    {
        if (filled > 0) {
            bytes.append(static_cast<char>(accumulator & 0xff));
        }
        return bytes;
    }

private:
    QByteArray bytes;
    quint32 accumulator = 0;
    int filled = 0;
};

QByteArray LzwCompress(const std::vector<uchar>& pixels)
{
    const int clearCode = 256, endCode = 257, maxCodes = 4096;
    BitWriter out;
    std::unordered_map<quint32, int> table;
    int next = endCode + 1, width = 9;
    auto restart = [&] {
        table.clear();
        next = endCode + 1;
        width = 9;
    };
    out.Put(clearCode, width);
    int prefix = pixels.front();
    for (size_t i = 1; i < pixels.size(); ++i) {
        const quint32 key = (static_cast<quint32>(prefix) << 8) | pixels[i];
        if (auto found = table.find(key); found != table.end()) {
            prefix = found->second;
            continue;
        }
        out.Put(prefix, width);
        table.emplace(key, next++);
        // The decoder learns each entry one code later, hence "greater than".
        if (next > (1 << width) && width < 12) {
            ++width;
        }
        if (next == maxCodes) {
            out.Put(clearCode, width);
            restart();
        }
        prefix = pixels[i];
    }
    out.Put(prefix, width);
    out.Put(endCode, width);
    return out.Finish();
}

void PutLe16(QByteArray& bytes, int value)
{
    bytes.append(static_cast<char>(value & 0xff));
    bytes.append(static_cast<char>((value >> 8) & 0xff));
}

QByteArray EncodeGif(const QImage& source)
{
    const QImage indexed = source.convertToFormat(QImage::Format_RGB32)
                               .convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither | Qt::PreferDither);
    QByteArray gif("GIF89a");
    PutLe16(gif, indexed.width());
    PutLe16(gif, indexed.height());
    gif.append(static_cast<char>(0xf7)); // global table of 256 entries, 8 bits per primary
    gif.append('\0').append('\0');
    QVector<QRgb> colors = indexed.colorTable();
    colors.resize(256);
    for (QRgb color : colors) {
        gif.append(static_cast<char>(qRed(color))).append(static_cast<char>(qGreen(color)));
        gif.append(static_cast<char>(qBlue(color)));
    }
    gif.append(',');
    PutLe16(gif, 0);
    PutLe16(gif, 0);
    PutLe16(gif, indexed.width());
    PutLe16(gif, indexed.height());
    gif.append('\0');
    gif.append(static_cast<char>(8)); // minimum code size
    std::vector<uchar> pixels;
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar* line = indexed.constScanLine(y);
        pixels.insert(pixels.end(), line, line + indexed.width());
    }
    const QByteArray data = LzwCompress(pixels);
    for (int offset = 0; offset < data.size(); offset += 255) {
        const QByteArray block = data.mid(offset, 255);
        gif.append(static_cast<char>(block.size())).append(block);
    }
    gif.append('\0').append(';');
    return gif;
}

// ---- sounds: 16-bit mono PCM ----------------------------------------------------

const int SAMPLE_RATE = 22050;

struct Note {
    double frequency;
    double seconds;
};

// Each note rises quickly and decays, with a little of its octave for colour;
// `buzz` adds odd harmonics for a harsher tone.
std::vector<qint16> Synthesize(const std::vector<Note>& notes, bool buzz)
{
    std::vector<qint16> samples;
    for (const Note& note : notes) {
        const int count = static_cast<int>(note.seconds * SAMPLE_RATE);
        for (int i = 0; i < count; ++i) {
            const double t = static_cast<double>(i) / SAMPLE_RATE;
            const double envelope = std::min(1.0, t / 0.01) * std::exp(-4.0 * t / note.seconds);
            const double phase = 2 * M_PI * note.frequency * t;
            double value = std::sin(phase) + 0.25 * std::sin(2 * phase);
            if (buzz) {
                value += 0.35 * std::sin(3 * phase) + 0.2 * std::sin(5 * phase);
            }
            samples.push_back(static_cast<qint16>(std::lround(9000.0 * envelope * value)));
        }
    }
    return samples;
}

QByteArray EncodeWav(const std::vector<qint16>& samples)
{
    const int dataBytes = static_cast<int>(samples.size() * 2);
    QByteArray wav;
    auto put32 = [&](quint32 value) {
        const quint32 le = qToLittleEndian(value);
        wav.append(reinterpret_cast<const char*>(&le), 4);
    };
    auto put16 = [&](quint16 value) {
        const quint16 le = qToLittleEndian(value);
        wav.append(reinterpret_cast<const char*>(&le), 2);
    };
    wav.append("RIFF");
    put32(36 + dataBytes);
    wav.append("WAVEfmt ");
    put32(16);
    put16(1); // PCM
    put16(1); // mono
    put32(SAMPLE_RATE);
    put32(SAMPLE_RATE * 2);
    put16(2);
    put16(16);
    wav.append("data");
    put32(dataBytes);
    for (qint16 sample : samples) {
        put16(static_cast<quint16>(sample));
    }
    return wav;
}

// ---- output ---------------------------------------------------------------------

bool Write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool IsOpaque(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 255) {
                return false;
            }
        }
    }
    return true;
}

bool WritePng(const QString& root, const QString& name, const QImage& image)
{
    // Opaque pictures lose their alpha channel, which keeps the committed files small.
    const QImage compact =
        image.hasAlphaChannel() && !IsOpaque(image) ? image : image.convertToFormat(QImage::Format_RGB32);
    return compact.save(root + "/" + name, "PNG", 9);
}

bool WriteQrc(const QString& path, const QStringList& files)
{
    QByteArray text = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/\">\n";
    for (const QString& file : files) {
        text += "    <file>" + file.toUtf8() + "</file>\n";
    }
    text += "  </qresource>\n</RCC>\n";
    return Write(path, text);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <Resources folder>\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    QDir(root).mkpath("About");
    QDir(root).mkpath("PlayerBackground");
    QDir(root).mkpath("Icons");
    bool ok = true;
    QStringList localized;
    for (const QString& locale : LOCALES) {
        const QString about = "About/about_" + locale + ".png";
        const QString background = "PlayerBackground/background_" + locale + ".png";
        ok = WritePng(root, about, AboutPicture(locale)) && ok;
        ok = WritePng(root, background, PlayerBackground(locale)) && ok;
        localized << about << background;
    }
    ok = WritePng(root, "Icons/large_icon.png", LargeIcon()) && ok;
    ok = WritePng(root, "Icons/activation.png", ActivationIcon()) && ok;
    ok = Write(root + "/Splash/splash.gif", EncodeGif(Splash())) && ok;
    ok = Write(root + "/Sounds/TranscodingSuccess.wav",
               EncodeWav(Synthesize({{659.25, 0.12}, {987.77, 0.28}}, false))) &&
         ok;
    ok = Write(root + "/Sounds/TranscodingError.wav", EncodeWav(Synthesize({{311.13, 0.16}, {207.65, 0.30}}, true))) &&
         ok;
    ok = WriteQrc(root + "/LocalizedImages.qrc", localized) && ok;
    ok = WriteQrc(root + "/Media.qrc", {"Icons/large_icon.png", "Icons/activation.png", "Splash/splash.gif",
                                        "Sounds/TranscodingError.wav", "Sounds/TranscodingSuccess.wav"}) &&
         ok;
    return ok ? 0 : 1;
}
