#pragma once

#include "App/Application/Application.h"
#include "App/Application/ICustomizationManager.h"
#include "App/Application/IGateway.h"
#include "App/Application/ISplash.h"
#include "App/Application/LookAndFeel/LookAndFeelManager.h"
#include "App/Application/Settings/SettingsManager.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace Talvex::Test {

class FakeCustomization : public App::ICustomizationManager {
public:
    std::string organization = "Talvex Test";
    std::string version = "3.1";
    std::string folder = "Clipforge Test";
    std::string name = "Clipforge";
    std::string aboutName = "Talvex Clipforge";
    std::string codeName = "clipforge-test";
    bool skipFirstRun = false;
    int distributionType = 0;
    std::string postInstallPage = "thankyou";
    bool emailDialog = true;

    std::string GetOrganizationName() const override { return organization; }
    Core::Version GetVersion() const override { return Core::Version(version); }
    std::string GetProductFolderName() const override { return folder; }
    std::string GetApplicationName() const override { return name; }
    std::string GetAboutProductName() const override { return aboutName; }
    std::string GetProductCodeName() const override { return codeName; }
    bool SkipsFirstRunActions() const override { return skipFirstRun; }
    int GetDistributionType() const override { return distributionType; }
    std::string GetPostInstallPage() const override { return postInstallPage; }
    bool IsEmailDialogEnabled() const override { return emailDialog; }
};

class CountingSplash : public App::ISplash {
public:
    int raised = 0;
    void Show() override {}
    void BringToFront() override { ++raised; }
    void Finish() override {}
};

// Keeps posted actions for the test to run (or not) later.
class DeferringGateway : public ExternalStimulus::IGateway {
public:
    std::vector<ExternalStimulus::Stimulus> posted;
    void Post(ExternalStimulus::Stimulus& stimulus) override { posted.push_back(stimulus); }
};

// A resources folder with a links table, and the environment pointing at it.
class ResourcesFolder {
public:
    ResourcesFolder()
    {
        qputenv("TALVEX_RESOURCES_DIR", QFile::encodeName(folder.path()));
        QDir(folder.path()).mkpath(QStringLiteral("themes"));
        QDir(folder.path()).mkpath(QStringLiteral("locales"));
    }
    void WriteLinks(const QByteArray& json) const
    {
        QFile file(folder.path() + QStringLiteral("/links.json"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
    }
    QString Path() const { return folder.path(); }

private:
    QTemporaryDir folder;
};

inline std::shared_ptr<App::SettingsManager> FileStore(const QString& path)
{
    return std::make_shared<App::SettingsManager>(path, QSettings::IniFormat);
}

// A manager over `root` that ships `locale` (without catalogues) and has it set.
inline std::shared_ptr<App::LookAndFeelManager> LookAndFeelIn(const QString& root, const std::string& locale)
{
    QDir(root).mkpath(QStringLiteral("resources/locales/") + QString::fromStdString(locale));
    auto manager = std::make_shared<App::LookAndFeelManager>(ioPath(root.toStdString()), "description.json",
                                                             std::list<std::string>(), std::list<std::string>());
    manager->SetLocale(locale);
    return manager;
}

// Points $BROWSER at a script that has `helper` (a suite's helper program with the
// "record" role) append each opened address to the returned file.
inline QString RecordingBrowser(const QTemporaryDir& scratch, const char* helper)
{
    const QString record = scratch.filePath(QStringLiteral("browser.txt"));
    QFile script(scratch.filePath(QStringLiteral("browser.sh")));
    if (script.open(QIODevice::WriteOnly)) {
        script.write(
            QStringLiteral("#!/bin/sh\nexec '%1' record '%2' \"$@\"\n").arg(QLatin1String(helper), record).toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFile::ExeOwner);
    }
    qputenv("BROWSER", QFile::encodeName(script.fileName()));
    return record;
}

// Each test builds its own application (the suite runs without one); argc/argv must
// outlive it.
class ApplicationTest : public ::testing::Test {
protected:
    template <class Derived = App::Application> std::unique_ptr<Derived> Make(bool holdInstanceMutex = false)
    {
        App::Application::AppContext context;
        context.holdInstanceMutex = holdInstanceMutex;
        return std::make_unique<Derived>(argc, argv, context);
    }

    int argc = 1;
    char name[16] = "lifecycle-test";
    char* argv[2] = {name, nullptr};
    QTemporaryDir scratch;
};

} // namespace Talvex::Test
