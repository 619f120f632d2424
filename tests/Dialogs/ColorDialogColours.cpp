#include "App/Application/Application.h"
#include "App/Application/Dialogs/ColorDialogHelper.h"
#include "App/Application/Settings/SettingsManager.h"
#include "common/LogCapture.h"

#include <QColorDialog>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace Talvex::Test {
namespace {

using App::ColorDialogHelper;

const QString GROUP = "Talvex::App::ColorDialogHelper";

class ColorDialogColours : public ::testing::Test {
protected:
    ColorDialogColours()
    {
        application.SetSettingsManager(settings);
        for (int index = 0; index < QColorDialog::customCount(); ++index) {
            QColorDialog::setCustomColor(index, QColor(index, 100, 200));
        }
    }

    static App::Application::AppContext Context()
    {
        App::Application::AppContext context;
        context.holdInstanceMutex = false;
        return context;
    }

    void Store(int count, int entries, const QString& color)
    {
        QSettings file(path, QSettings::IniFormat);
        file.setValue(GROUP + "/ColorsCount", count);
        for (int index = 0; index < entries; ++index) {
            file.setValue(GROUP + "/Color" + QString::number(index), color);
        }
    }

    QStringList StoredKeys()
    {
        QSettings file(path, QSettings::IniFormat);
        file.beginGroup(GROUP);
        QStringList keys = file.childKeys();
        keys.sort();
        return keys;
    }

    int argc = 1;
    char name[16] = "colours-test";
    char* argv[2] = {name, nullptr};
    App::Application application{argc, argv, Context()};
    QTemporaryDir scratch;
    QString path = scratch.filePath("settings.ini");
    std::shared_ptr<App::SettingsManager> settings = std::make_shared<App::SettingsManager>(path, QSettings::IniFormat);
};

TEST_F(ColorDialogColours, NothingStoredChangesNoColour)
{
    ColorDialogHelper helper;
    for (int index = 0; index < QColorDialog::customCount(); ++index) {
        EXPECT_EQ(QColorDialog::customColor(index), QColor(index, 100, 200));
    }
}

TEST_F(ColorDialogColours, LoadsOnlyAsManyColoursAsTheDialogHolds)
{
    const int held = QColorDialog::customCount();
    Store(held + 8, held + 8, "#12ab34");
    ColorDialogHelper helper;
    for (int index = 0; index < held; ++index) {
        EXPECT_EQ(QColorDialog::customColor(index), QColor("#12ab34"));
    }
}

TEST_F(ColorDialogColours, SaveReplacesTheGroupWithOneOpaqueEntryPerColour)
{
    const int held = QColorDialog::customCount();
    Store(held + 4, held + 4, "#000001");
    {
        ColorDialogHelper helper;
        QColorDialog::setCustomColor(3, QColor(10, 20, 30, 128));
    }
    QStringList expected{"ColorsCount"};
    for (int index = 0; index < held; ++index) {
        expected << "Color" + QString::number(index);
    }
    expected.sort();
    EXPECT_EQ(StoredKeys(), expected);
    EXPECT_EQ(QSettings(path, QSettings::IniFormat).value(GROUP + "/Color3").toString(), "#0a141e");

    QColorDialog::setCustomColor(3, Qt::white);
    ColorDialogHelper reloaded;
    EXPECT_EQ(QColorDialog::customColor(3), QColor(10, 20, 30));
}

TEST_F(ColorDialogColours, CopyLoadsNothingButSavesOnDestruction)
{
    ColorDialogHelper original;
    Store(1, 1, "#fedcba");
    {
        ColorDialogHelper copy(original);
        EXPECT_EQ(QColorDialog::customColor(0), QColor(0, 100, 200));
        QColorDialog::setCustomColor(0, QColor("#123456"));
    }
    EXPECT_EQ(QSettings(path, QSettings::IniFormat).value(GROUP + "/Color0").toString(), "#123456");
}

TEST_F(ColorDialogColours, WithoutSettingsNothingIsLoadedOrSavedAndTheGapIsLogged)
{
    Store(1, 1, "#fedcba");
    application.SetSettingsManager(nullptr);
    LogCapture log;
    {
        ColorDialogHelper helper;
        EXPECT_EQ(QColorDialog::customColor(0), QColor(0, 100, 200));
    }
    EXPECT_EQ(log.Count(google::GLOG_ERROR, "no application settings manager"), 2);
    EXPECT_EQ(QSettings(path, QSettings::IniFormat).value(GROUP + "/Color0").toString(), "#fedcba");
}

} // namespace
} // namespace Talvex::Test
