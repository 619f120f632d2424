#include "App/Application/FirstLaunchCheck.h"

#include "App/Application/Settings/ISettingsManager.h"
#include "Platform/Util/TextConversion.h"

namespace Talvex::App {
namespace {

const int FIRST_INSTALL = 1;
const int REINSTALL = 2;
const int UPDATE = 3;
const int REGULAR = 4;

} // namespace

int FirstLaunchCheck::Run(ISettingsManager& settings, ISettingsManager& product, bool sameStore,
                          const std::string& version, const QDateTime& now)
{
    const std::string stored = settings.GetString("Version", std::string());
    const std::string stamp = product.GetString("DateTime", std::string());
    const int storedType = product.GetInt("ProductInstallType", 0);
    // A separate product store that already knows its type keeps it: the general store
    // only records that it has seen this version.
    const bool mayRecord = sameStore || storedType == 0;

    if (stored != version) {
        const int type = OnVersionChange(settings, product, mayRecord, version, stamp, now);
        return mayRecord ? type : storedType;
    }
    if (settings.GetString("InstallDateTime", std::string()) != stamp) {
        settings.SetString("InstallDateTime", stamp);
        if (!mayRecord) {
            return storedType;
        }
        product.SetInt("ProductInstallType", REINSTALL);
        return REINSTALL;
    }
    return REGULAR;
}

int FirstLaunchCheck::OnVersionChange(ISettingsManager& settings, ISettingsManager& product, bool mayRecord,
                                      const std::string& version, const std::string& stamp, const QDateTime& now)
{
    settings.SetString("Version", version);
    const bool hadFirstStart = !settings.GetString("DateOfFirstStart", std::string()).empty();
    settings.SetString("IsRun", "1");
    settings.SetString("DateOfFirstStart", Util::QStringToUtf8(now.toString(Qt::TextDate)));
    settings.SetString("InstallDateTime", stamp);
    const int type = hadFirstStart ? UPDATE : FIRST_INSTALL;
    if (mayRecord) {
        product.SetInt("ProductInstallType", type);
    }
    return type;
}

} // namespace Talvex::App
