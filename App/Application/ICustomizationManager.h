#pragma once

#include "Platform/Core/Version.h"

#include <string>

namespace Talvex::App {

// The product's identity and behaviour switches, implemented by the product and
// registered with the application. Strings are UTF-8. The application calls these
// on the GUI thread, any number of times, so they should be cheap and stable.
class ICustomizationManager {
public:
    virtual ~ICustomizationManager() = default;

    virtual std::string GetOrganizationName() const = 0;
    virtual Talvex::Core::Version GetVersion() const = 0;
    // Name of the per-product folder for temporary files.
    virtual std::string GetProductFolderName() const = 0;
    virtual std::string GetApplicationName() const = 0;
    // Product name as the About box shows it.
    virtual std::string GetAboutProductName() const = 0;
    // Short internal name: names the log files and the installer's settings store.
    virtual std::string GetProductCodeName() const = 0;
    // True for builds (portable, trial kiosks) that never show first-run pages or dialogs.
    virtual bool SkipsFirstRunActions() const = 0;
    virtual int GetDistributionType() const = 0;
    // The page that follows an installation: "thankyou" opens the thank-you address of the
    // links table; any other value opens nothing.
    virtual std::string GetPostInstallPage() const = 0;
    virtual bool IsEmailDialogEnabled() const = 0;

    // Not used by the library itself; available to products and their dialogs.
    virtual std::string GetSupportEmail() const { return std::string(); }
    virtual bool IsTrial() const { return false; }
};

} // namespace Talvex::App
