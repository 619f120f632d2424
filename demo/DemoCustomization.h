#pragma once

#include "App/Application/ICustomizationManager.h"

// Who the sample product is: a first-party download (distribution type 0) that shows
// the standard thank-you page and the e-mail dialog after its installation.
class DemoCustomization : public Talvex::App::ICustomizationManager {
public:
    std::string GetOrganizationName() const override { return "Talvex"; }
    Talvex::Core::Version GetVersion() const override { return Talvex::Core::Version("1.2"); }
    std::string GetProductFolderName() const override { return "Talvex Demo"; }
    std::string GetApplicationName() const override { return "TalvexDemo"; }
    std::string GetAboutProductName() const override { return "Talvex Demo Converter"; }
    std::string GetProductCodeName() const override { return "talvex-demo"; }
    bool SkipsFirstRunActions() const override { return false; }
    int GetDistributionType() const override { return 0; }
    std::string GetPostInstallPage() const override { return "thankyou"; }
    bool IsEmailDialogEnabled() const override { return true; }
};
