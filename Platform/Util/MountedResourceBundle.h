#pragma once

#include <TalvexExport.h>

#include <QByteArray>
#include <QString>

#include <memory>

namespace Talvex::Util {

// A compiled resource bundle from disk, registered from the very bytes that passed the
// bundle check instead of by its file name. Qt keeps a bundle registered by name mapped,
// so a file cut short or overwritten in place later (an installer, a copy over it)
// faults on the next read of any of its resources, and the file Qt maps need not be the
// one that was checked. These bytes live in memory of their own for exactly as long as
// the registration. GUI thread, like every resource registration.
class TALVEX_EXPORT MountedResourceBundle {
public:
    // Reads `path` once, checks it and registers it under `mapRoot` (empty for the
    // resource root). Null, with the reason in `problem` (when given), when the file
    // does not read, is not well formed, or Qt refuses it.
    static std::unique_ptr<MountedResourceBundle> Mount(const QString& path, const QString& mapRoot,
                                                        QString* problem = nullptr);
    // Ends this hold without unregistering: the bundle stays registered for the rest of
    // the process, and its bytes with it.
    static void LeaveMounted(std::unique_ptr<MountedResourceBundle> bundle);
    // Whether `data` points into the bytes of a bundle mounted here now.
    static bool Holds(const void* data);
    // Keeps the bytes of the mounted bundle that holds `data` for the rest of the
    // process, so that what Qt was handed as a view into them (a font) never outlives
    // them, whenever the bundle is unmounted. False when no bundle mounted here holds it.
    // One copy of each distinct bundle's bytes is kept however often it is mounted:
    // mounting bytes equal to a kept copy mounts that copy.
    static bool KeepBytesHolding(const void* data);

    // Unregisters exactly what was registered: these bytes under this root.
    ~MountedResourceBundle();
    MountedResourceBundle(const MountedResourceBundle&) = delete;
    MountedResourceBundle& operator=(const MountedResourceBundle&) = delete;

private:
    MountedResourceBundle(const QByteArray& bytes, const QString& mapRoot);
    static const MountedResourceBundle* BundleHolding(const void* data);
    const uchar* Data() const;

    QByteArray bytes;
    const QString mapRoot;
};

} // namespace Talvex::Util
