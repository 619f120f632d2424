// A bundle the check accepts must be safe to hand to Qt's loader: register it, read
// every file in it, and take it away again. Anything the loader would read outside
// the file shows up here as an address error.
#include "FuzzSupport.h"
#include "Platform/Util/ResourceBundleCheck.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QResource>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// One file for the whole run: Qt maps the bundle, so it must stay put while registered.
const QString& BundlePath()
{
    static const QString path = Talvex::Fuzz::RunFile(QStringLiteral("bundle.rcc"));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bundle(reinterpret_cast<const char*>(data), static_cast<int>(size));
    if (!Talvex::Util::ResourceBundleCheck::IsWellFormed(bundle)) {
        return 0;
    }
    Talvex::Fuzz::WriteInput(BundlePath(), bundle);

    const QString root = QStringLiteral("/fuzz");
    if (QResource::registerResource(BundlePath(), root)) {
        {
            // Qt keeps a bundle that is still in use when asked to unregister it, so
            // everything reading it must be gone first.
            QDirIterator entries(QStringLiteral(":") + root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                 QDirIterator::Subdirectories);
            while (entries.hasNext()) {
                QFile entry(entries.next());
                if (entry.open(QIODevice::ReadOnly)) {
                    entry.readAll();
                }
                QResource resource(entries.filePath());
                resource.compressionAlgorithm();
                resource.size();
            }
        }
        if (!QResource::unregisterResource(BundlePath(), root)) {
            std::abort();
        }
    }
    QFile::remove(BundlePath());
    return 0;
}
