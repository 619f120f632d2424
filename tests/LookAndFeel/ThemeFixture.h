#pragma once

#include "App/Application/LookAndFeel/ILookAndFeelObserver.h"
#include "App/Application/LookAndFeel/LookAndFeelManager.h"
#include "common/LogCapture.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

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
    static constexpr char TITLES[] = R"({"en_US": "Light", "de_DE": "Hell"})";

    void TearDown() override;

    QString ThemeFolder(const QString& theme) const;
    void AddTheme(const QString& theme, const QStringList& bundles, const QByteArray& description = TITLES);
    void WriteFile(const QString& relativePath, const QByteArray& bytes) const;
    App::LookAndFeelManager& MakeManager(const std::list<std::string>& resourceNames = {});

    QTemporaryDir root;
    LogCapture log;
    RecordingObserver observer;
    std::unique_ptr<App::LookAndFeelManager> manager;
};

} // namespace Talvex::Test
