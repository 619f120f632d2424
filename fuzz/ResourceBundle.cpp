// A bundle the check accepts must be safe to hand to Qt's loader as the product does:
// mounted from the checked bytes in memory, every file in it read, and taken away
// again. Anything the loader would read outside those bytes shows up here as an
// address error.
#include "FuzzSupport.h"
#include "Platform/Util/MountedResourceBundle.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QResource>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

// One file for the whole run, rewritten for every input.
const QString& BundlePath()
{
    static const QString path = Talvex::Fuzz::RunFile(QStringLiteral("bundle.rcc"));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Talvex::Fuzz::WriteInput(BundlePath(), QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size)));
    const QString root = QStringLiteral("/fuzz");
    auto mounted = Talvex::Util::MountedResourceBundle::Mount(BundlePath(), root);
    if (mounted) {
        // Unmounting while something still reads the bundle keeps its bytes for the
        // rest of the run, so everything reading it must be gone first.
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
    mounted.reset();
    Talvex::Fuzz::Require(!QDir(QStringLiteral(":") + root).exists(), "the bundle is still registered");
    return 0;
}
