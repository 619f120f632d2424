#include "Platform/Util/MountedResourceBundle.h"

#include "Platform/Util/ResourceBundleCheck.h"

#include <QResource>

#include <algorithm>
#include <mutex>
#include <vector>

namespace Talvex::Util {
namespace {

// Bytes that Qt may still read after their owner is gone: those of bundles left
// registered on purpose, and those of bundles an open resource kept alive past their
// unregistration. Never freed, and reachable, so no leak checker counts them.
void KeepForTheProcess(const QByteArray& bytes)
{
    static std::mutex lock;
    static auto* const kept = new std::vector<QByteArray>();
    const std::lock_guard<std::mutex> guard(lock);
    kept->push_back(bytes);
}

// The bundles mounted now, for finding the one that holds a resource's bytes.
std::mutex mountedLock;
std::vector<MountedResourceBundle*>& Mounted()
{
    static auto* const mounted = new std::vector<MountedResourceBundle*>();
    return *mounted;
}

} // namespace

std::unique_ptr<MountedResourceBundle> MountedResourceBundle::Mount(const QString& path, const QString& mapRoot,
                                                                    QString* problem)
{
    const QByteArray bytes = ResourceBundleCheck::ReadWellFormedFile(path, problem);
    if (bytes.isEmpty()) {
        return nullptr;
    }
    std::unique_ptr<MountedResourceBundle> bundle(new MountedResourceBundle(bytes, mapRoot));
    if (!QResource::registerResource(bundle->Data(), mapRoot)) {
        bundle->bytes.clear();
        if (problem) {
            *problem = QStringLiteral("Qt refuses to register it");
        }
        return nullptr;
    }
    const std::lock_guard<std::mutex> guard(mountedLock);
    Mounted().push_back(bundle.get());
    return bundle;
}

bool MountedResourceBundle::KeepBytesHolding(const void* data)
{
    const std::lock_guard<std::mutex> guard(mountedLock);
    for (MountedResourceBundle* bundle : Mounted()) {
        const char* begin = bundle->bytes.constData();
        const char* at = static_cast<const char*>(data);
        if (!bundle->bytes.isEmpty() && at >= begin && at < begin + bundle->bytes.size()) {
            // A theme applied again registers its fonts again: one hold is enough.
            if (!bundle->keptForTheProcess) {
                bundle->keptForTheProcess = true;
                KeepForTheProcess(bundle->bytes);
            }
            return true;
        }
    }
    return false;
}

void MountedResourceBundle::LeaveMounted(std::unique_ptr<MountedResourceBundle> bundle)
{
    if (bundle) {
        KeepForTheProcess(bundle->bytes);
        bundle->bytes.clear();
    }
}

MountedResourceBundle::MountedResourceBundle(const QByteArray& bytes, const QString& mapRoot)
    : bytes(bytes), mapRoot(mapRoot)
{
}

MountedResourceBundle::~MountedResourceBundle()
{
    {
        const std::lock_guard<std::mutex> guard(mountedLock);
        auto& mounted = Mounted();
        mounted.erase(std::remove(mounted.begin(), mounted.end(), this), mounted.end());
    }
    // Qt takes the bundle off its list either way, but one still open somewhere (a
    // QFile or QResource on one of its paths) goes on reading these bytes until it
    // closes, so they must outlive this object.
    if (!bytes.isEmpty() && !QResource::unregisterResource(Data(), mapRoot) && !keptForTheProcess) {
        KeepForTheProcess(bytes);
    }
}

const uchar* MountedResourceBundle::Data() const
{
    return reinterpret_cast<const uchar*>(bytes.constData());
}

} // namespace Talvex::Util
