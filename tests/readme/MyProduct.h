#pragma once

// The product's own pieces that the README's example names but does not show.
#include <App/Application/ICustomizationManager.h>

#include <QMainWindow>
#include <QString>
#include <QStringList>

class MyCustomization : public Talvex::App::ICustomizationManager {
public:
    std::string GetOrganizationName() const override { return "My Company"; }
    Talvex::Core::Version GetVersion() const override { return Talvex::Core::Version("1.0"); }
    std::string GetProductFolderName() const override { return "My Product"; }
    std::string GetApplicationName() const override { return "MyProduct"; }
    std::string GetAboutProductName() const override { return "My Product"; }
    std::string GetProductCodeName() const override { return "my-product"; }
    bool SkipsFirstRunActions() const override { return false; }
    int GetDistributionType() const override { return 0; }
    std::string GetPostInstallPage() const override { return "thankyou"; }
    bool IsEmailDialogEnabled() const override { return true; }
};

class MainWindow : public QMainWindow {
public:
    // Opens the files a command line names, relative ones in `folder`.
    void OpenFiles(const QStringList& /*arguments*/, const QString& /*folder*/) {}
};
