#include "Platform/Util/FontDatabase.h"

#include "Platform/Logging/LogLine.h"
#include "Platform/Util/MountedResourceBundle.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QResource>

#include <algorithm>
#include <limits>
#include <mutex>
#include <vector>

namespace Talvex::Util {
namespace {

bool IsOnDisk(const QString& fileName)
{
    return QFileInfo(fileName).isNativePath();
}

// The bytes of one font file, with whether they are a view into a bundle we mounted.
struct FontBytes {
    QByteArray bytes;
    bool inMountedBundle = false;
};

// A font stored as it is inside a bundle we mounted is read as a view of the bundle's
// own bytes: by name, Qt would copy the whole file to keep it.
FontBytes ReadFont(const QString& fileName)
{
    if (fileName.startsWith(QLatin1Char(':'))) {
        const QResource resource(fileName);
        if (resource.isValid() && resource.compressionAlgorithm() == QResource::NoCompression && resource.data() &&
            resource.size() > 0 && resource.size() <= std::numeric_limits<int>::max() &&
            MountedResourceBundle::Holds(resource.data())) {
            return {QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()),
                                            static_cast<int>(resource.size())),
                    true};
        }
    }
    QFile file(fileName);
    return {file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), false};
}

// A file outside the resources is registered by name, so that Qt reads it from disk
// instead of keeping it in memory. A view's bundle bytes are kept for good once Qt took
// the font: a widget first drawing with it reads them after a theme switch has unmounted
// the bundle.
int Register(const QString& fileName, const FontBytes& font)
{
    if (IsOnDisk(fileName)) {
        return QFontDatabase::addApplicationFont(fileName);
    }
    const int id = QFontDatabase::addApplicationFontFromData(font.bytes);
    if (id >= 0 && font.inMountedBundle && !MountedResourceBundle::KeepBytesHolding(font.bytes.constData())) {
        QFontDatabase::removeApplicationFont(id);
        return -1;
    }
    return id;
}

// Every theme switch registers the theme's fonts again; Qt would add each as a new font
// (and keep its bytes) every time, so the fonts registered are remembered by what they
// hold. A font Qt holds in memory is remembered by those very bytes, shared with Qt, so
// remembering costs nothing and a look-up is a comparison; one Qt reads from disk by a
// digest of the bytes read. A font a product removed through Qt meanwhile, whose id Qt
// may have given to another since, is registered anew.
class Registered {
public:
    static QByteArray Key(const QString& fileName, const QByteArray& bytes)
    {
        return IsOnDisk(fileName) ? QCryptographicHash::hash(bytes, QCryptographicHash::Sha256) : bytes;
    }

    int Find(const QByteArray& key)
    {
        const std::lock_guard<std::mutex> guard(lock);
        const auto found =
            std::find_if(fonts.begin(), fonts.end(), [&key](const Font& font) { return font.key == key; });
        if (found == fonts.end() || QFontDatabase::applicationFontFamilies(found->id).isEmpty()) {
            return -1;
        }
        return found->id;
    }

    void Add(const QByteArray& key, int id)
    {
        const std::lock_guard<std::mutex> guard(lock);
        fonts.erase(std::remove_if(fonts.begin(), fonts.end(),
                                   [&](const Font& font) { return font.id == id || font.key == key; }),
                    fonts.end());
        fonts.push_back({key, id});
    }

private:
    struct Font {
        QByteArray key;
        int id;
    };

    std::mutex lock;
    std::vector<Font> fonts;
};

Registered& RegisteredFonts()
{
    static auto* const registered = new Registered();
    return *registered;
}

} // namespace

int FontDatabase::addApplicationFont(const QString& fileName)
{
    const FontBytes font = ReadFont(fileName);
    if (font.bytes.isEmpty()) {
        TALVEX_LOG(ERROR) << "Failed to register font " << fileName.toStdString();
        return -1;
    }
    const QByteArray key = Registered::Key(fileName, font.bytes);
    int id = RegisteredFonts().Find(key);
    if (id >= 0) {
        return id;
    }
    id = Register(fileName, font);
    if (id < 0) {
        TALVEX_LOG(ERROR) << "Failed to register font " << fileName.toStdString();
        return -1;
    }
    RegisteredFonts().Add(key, id);
    return id;
}

} // namespace Talvex::Util
