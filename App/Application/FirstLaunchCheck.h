#pragma once

#include <TalvexExport.h>

#include <QDateTime>

#include <string>

namespace Talvex::App {

class ISettingsManager;

// Tells a first installation, an update, a reinstallation and an ordinary run apart
// from what an earlier run and the installer left in the stores, and records this run.
// `product` is the product store (it may be the same object as `settings`, which
// `sameStore` says); `version` is the running version with "." replaced by "-".
// Returns the launch type as its integer: 1 first install, 2 reinstall, 3 update,
// 4 regular, or a type the product store recorded earlier.
class TALVEX_EXPORT FirstLaunchCheck {
public:
    static int Run(ISettingsManager& settings, ISettingsManager& product, bool sameStore, const std::string& version,
                   const QDateTime& now);

private:
    static int OnVersionChange(ISettingsManager& settings, ISettingsManager& product, bool mayRecord,
                               const std::string& version, const std::string& stamp, const QDateTime& now);
};

} // namespace Talvex::App
