#pragma once

#include "App/Application/LookAndFeel/ILookAndFeelObserver.h"
#include "App/Application/LookAndFeel/LookAndFeelManager.h"
#include "common/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

namespace Talvex::Test {

class RecordingObserver : public App::ILookAndFeelObserver {
public:
    void OnLocaleChanged(const std::string& locale) override { events.push_back("locale:" + locale); }
    void OnThemeChanged(const std::string& theme) override { events.push_back("theme:" + theme); }
    std::vector<std::string> events;
};

// Builds a resources tree in a fresh temporary folder from the bundles compiled for
// this suite, so each test ships exactly the themes it needs.
class ThemeFixture : public ::testing::Test {
protected:
    static constexpr char DESCRIPTION[] = "theme.json";
    static constexpr char PRODUCT[] = "/* product */\n/* product linux */\n";

    // Registrations outlive the manager, so each one clears its theme before it goes and
    // the next test starts with an empty resource root.
    void TearDown() override { ReleaseManager(); }

    void ReleaseManager()
    {
        if (manager) {
            manager->SetTheme(std::string());
            manager.reset();
        }
    }

    void AddTheme(const QString& theme, const QStringList& bundles,
                  const QByteArray& description = R"({"en_US": "Light", "de_DE": "Hell"})")
    {
        ASSERT_TRUE(QDir().mkpath(root.filePath("resources/themes/" + theme)));
        for (const QString& bundle : bundles) {
            AddBundle(theme, bundle, bundle);
        }
        if (!description.isNull()) {
            WriteFile("resources/themes/" + theme + "/" + DESCRIPTION, description);
        }
    }

    // Languages resolve only to shipped folders; these need no catalogues.
    void ShipLocales(const QStringList& locales) const
    {
        for (const QString& locale : locales) {
            ASSERT_TRUE(QDir().mkpath(root.filePath("resources/locales/" + locale)));
        }
    }

    // Ships the compiled bundle `bundle` in the theme's folder as `name`.rcc.
    void AddBundle(const QString& theme, const QString& bundle, const QString& name)
    {
        ASSERT_TRUE(QFile::copy(QStringLiteral(TALVEX_TEST_BUNDLES "/") + bundle + ".rcc",
                                root.filePath("resources/themes/" + theme + "/" + name + ".rcc")));
    }

    void WriteFile(const QString& relativePath, const QByteArray& bytes) const
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(root.filePath(relativePath)).absolutePath()));
        QFile file(root.filePath(relativePath));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    App::LookAndFeelManager& MakeManager(const std::list<std::string>& resourceNames = {})
    {
        ReleaseManager();
        manager = std::make_unique<App::LookAndFeelManager>(Talvex::ioPath(root.path()), DESCRIPTION, resourceNames);
        manager->RegisterObserver(&observer);
        return *manager;
    }

    QTemporaryDir root;
    LogCapture log;
    RecordingObserver observer;
    std::unique_ptr<App::LookAndFeelManager> manager;
};

} // namespace Talvex::Test
