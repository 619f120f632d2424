#pragma once

#include "App/Application/LookAndFeel/ILookAndFeelObserver.h"
#include "App/Application/LookAndFeel/LookAndFeelManager.h"
#include "common/ApplicationFakes.h"

#include <QLocale>

#include <gmock/gmock.h>

namespace Talvex::Test {

// A real application with an installer store and a resources tree in a temporary
// folder. The system prefers Finnish, which no test ships, unless a test says otherwise.
class LanguageFixture : public ApplicationTest, public App::ILookAndFeelObserver {
protected:
    LanguageFixture()
    {
        QLocale::setDefault(QLocale(QStringLiteral("fi_FI")));
        application = Make();
        application->SetCustomizationManager(std::make_shared<FakeCustomization>(), false);
        installer = application->GetInstallerSettings(std::string());
        installer->Remove("Language");
    }

    void OnLocaleChanged(const std::string& locale) override { told.push_back(locale); }
    void OnThemeChanged(const std::string&) override {}

    // Ships `locale` as a folder holding copies of the named compiled catalogues.
    void Ship(const QString& locale, const QStringList& catalogues = {}) const
    {
        ASSERT_TRUE(QDir().mkpath(Path("resources/locales/" + locale)));
        for (const QString& name : catalogues) {
            ASSERT_TRUE(QFile::copy(TALVEX_TEST_CATALOGUES "/" + name + ".qm",
                                    Path("resources/locales/" + locale + "/" + name + ".qm")));
        }
    }

    void Write(const QString& relativePath, const QByteArray& bytes) const
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(Path(relativePath)).path()));
        QFile file(Path(relativePath));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    QString Path(const QString& relativePath) const { return root.filePath(relativePath); }

    App::LookAndFeelManager& MakeManager(const std::list<std::string>& resourceNames = {})
    {
        manager =
            std::make_shared<App::LookAndFeelManager>(ioPath(root.path().toStdString()), "theme.json", resourceNames);
        manager->RegisterObserver(this);
        return *manager;
    }

    static QString Tr(const char* text) { return QCoreApplication::translate("Sample", text); }

    std::unique_ptr<App::Application> application;
    std::shared_ptr<App::ISettingsManager> installer;
    QTemporaryDir root;
    std::vector<std::string> told;
    std::shared_ptr<App::LookAndFeelManager> manager;
};

} // namespace Talvex::Test
