#include "Platform/Util/MountedResourceBundle.h"

#include "Platform/Util/BundleSnapshot_p.h"
#include "Platform/Util/ResourceBundleCheck.h"

#include <QResource>

#include <algorithm>
#include <mutex>
#include <vector>

namespace Talvex::Util {
namespace {

// Bytes that Qt may still read after their owner is gone: those of bundles left
// registered on purpose, those a registered font points into, and those of bundles an
// open resource kept alive past their unregistration. Never freed, and reachable, so no
// leak checker counts them.
std::mutex keptLock;
std::vector<QByteArray>& Kept()
{
    static auto* const kept = new std::vector<QByteArray>();
    return *kept;
}

// Whether these very bytes are held for good. Callers hold keptLock.
bool HeldForGood(const QByteArray& bytes)
{
    const auto& kept = Kept();
    return std::any_of(kept.begin(), kept.end(),
                       [&bytes](const QByteArray& held) { return held.constData() == bytes.constData(); });
}

void KeepForTheProcess(const QByteArray& bytes)
{
    const std::lock_guard<std::mutex> guard(keptLock);
    if (!HeldForGood(bytes)) {
        Kept().push_back(bytes);
    }
}

bool IsKeptForTheProcess(const QByteArray& bytes)
{
    const std::lock_guard<std::mutex> guard(keptLock);
    return HeldForGood(bytes);
}

// A bundle mounted again (each switch back to its theme) whose bytes are already held
// for good is mounted from that copy, so holding it again costs nothing.
QByteArray KeptCopyOr(const QByteArray& bytes)
{
    const std::lock_guard<std::mutex> guard(keptLock);
    const auto& kept = Kept();
    const auto found = std::find(kept.begin(), kept.end(), bytes);
    return found != kept.end() ? *found : bytes;
}

// The bundles mounted now, for finding the one that holds a resource's bytes.
std::mutex mountedLock;
std::vector<const MountedResourceBundle*>& Mounted()
{
    static auto* const mounted = new std::vector<const MountedResourceBundle*>();
    return *mounted;
}

// The checked bytes of the bundle at `path`: a mapping of the copy kept in the cache
// when there is one for the bundle as it is now, else the bundle read into memory of
// its own (which is then kept for the next mount, unless the bundle changed meanwhile).
QByteArray CheckedBytes(const QString& path, QString* problem)
{
    const BundleSnapshot::Stamp stamp = BundleSnapshot::StampOf(path);
    QByteArray bytes = BundleSnapshot::Find(path, stamp);
    if (!bytes.isEmpty()) {
        if (problem) {
            problem->clear();
        }
        return bytes;
    }
    bytes = ResourceBundleCheck::ReadWellFormedFile(path, problem);
    if (!bytes.isEmpty() && BundleSnapshot::StampOf(path) == stamp) {
        BundleSnapshot::Keep(path, stamp, bytes);
    }
    return bytes.isEmpty() ? bytes : KeptCopyOr(bytes);
}

} // namespace

std::unique_ptr<MountedResourceBundle> MountedResourceBundle::Mount(const QString& path, const QString& mapRoot,
                                                                    QString* problem)
{
    const QByteArray bytes = CheckedBytes(path, problem);
    if (bytes.isEmpty()) {
        return nullptr;
    }
    std::unique_ptr<MountedResourceBundle> bundle(new MountedResourceBundle(bytes, mapRoot));
    if (!QResource::registerResource(bundle->Data(), mapRoot)) {
        BundleSnapshot::Release(bundle->bytes.constData());
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

bool MountedResourceBundle::Holds(const void* data)
{
    const std::lock_guard<std::mutex> guard(mountedLock);
    return BundleHolding(data) != nullptr;
}

bool MountedResourceBundle::KeepBytesHolding(const void* data)
{
    const std::lock_guard<std::mutex> guard(mountedLock);
    const MountedResourceBundle* bundle = BundleHolding(data);
    if (bundle) {
        KeepForTheProcess(bundle->bytes);
    }
    return bundle != nullptr;
}

// Callers hold mountedLock.
const MountedResourceBundle* MountedResourceBundle::BundleHolding(const void* data)
{
    const char* at = static_cast<const char*>(data);
    for (const MountedResourceBundle* bundle : Mounted()) {
        const char* begin = bundle->bytes.constData();
        if (!bundle->bytes.isEmpty() && at >= begin && at < begin + bundle->bytes.size()) {
            return bundle;
        }
    }
    return nullptr;
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
    if (bytes.isEmpty()) {
        return;
    }
    if (!QResource::unregisterResource(Data(), mapRoot)) {
        KeepForTheProcess(bytes);
    } else if (!IsKeptForTheProcess(bytes)) {
        // A kept copy's mapping goes with its last mount; bytes in memory go with the
        // last reference to them anyway.
        BundleSnapshot::Release(bytes.constData());
    }
}

const uchar* MountedResourceBundle::Data() const
{
    return reinterpret_cast<const uchar*>(bytes.constData());
}

} // namespace Talvex::Util
