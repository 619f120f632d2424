#pragma once

#include "App/Application/LookAndFeel/ILookAndFeelObserver.h"
#include "App/Application/LookAndFeel/LookAndFeelManager.h"
#include "common/ApplicationFakes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Talvex::Test {

class LocaleRecorder : public App::ILookAndFeelObserver {
public:
    void OnLocaleChanged(const std::string& locale) override { locales.push_back(locale); }
    void OnThemeChanged(const std::string&) override {}
    std::vector<std::string> locales;
};

// A real application with an installer store and a resources tree in a temporary
// folder. The system's preferred language is Finnish, which no test ships, so only
// the cases that change it see a system match.
class LanguageFixture : public ApplicationTest {
protected:
    LanguageFixture()
    {
        QLocale::setDefault(QLocale(QStringLiteral("fi_FI")));
        application = Make();
        application->SetCustomizationManager(std::make_shared<FakeCustomization>(), false);
        installer = application->GetInstallerSettings(std::string());
        installer->Remove("Language");
    }

    // Ships `locale` as a folder holding copies of the named compiled catalogues.
    void Ship(const QString& locale, const QStringList& catalogues = {}) const
    {
        const QString folder = root.filePath(QStringLiteral("resources/locales/") + locale);
        ASSERT_TRUE(QDir().mkpath(folder));
        for (const QString& catalogue : catalogues) {
            ASSERT_TRUE(QFile::copy(QStringLiteral(TALVEX_TEST_CATALOGUES "/") + catalogue + ".qm",
                                    folder + "/" + catalogue + ".qm"));
        }
    }

    App::LookAndFeelManager& MakeManager(const std::list<std::string>& resourceNames = {})
    {
        manager = std::make_shared<App::LookAndFeelManager>(Talvex::ioPath(root.path().toStdString()), "theme.json",
                                                            resourceNames);
        manager->RegisterObserver(&observer);
        return *manager;
    }

    static QString Tr(const char* text) { return QCoreApplication::translate("Sample", text); }

    std::unique_ptr<App::Application> application;
    std::shared_ptr<App::ISettingsManager> installer;
    QTemporaryDir root;
    LocaleRecorder observer;
    std::shared_ptr<App::LookAndFeelManager> manager;
};

} // namespace Talvex::Test
