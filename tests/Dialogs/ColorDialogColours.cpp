#include "App/Application/Dialogs/ColorDialogHelper.h"
#include "common/ApplicationFakes.h"

#include <QColorDialog>

#include <limits>

namespace Talvex::Test {
namespace {

using App::ColorDialogHelper;

const QString GROUP = "Talvex::App::ColorDialogHelper/";

class ColorDialogColours : public ApplicationTest {
protected:
    ColorDialogColours()
    {
        application->SetSettingsManager(FileStore(path));
        for (int index = 0; index < held; ++index) {
            QColorDialog::setCustomColor(index, QColor(index, 100, 200));
        }
    }

    void Store(int count, const QString& color)
    {
        file.setValue(GROUP + "ColorsCount", count);
        for (int index = 0; index < count; ++index) {
            file.setValue(GROUP + "Color" + QString::number(index), color);
        }
    }

    std::unique_ptr<App::Application> application = Make();
    QString path = scratch.filePath("settings.ini");
    QSettings file{path, QSettings::IniFormat};
    const int held = QColorDialog::customCount();
};

TEST_F(ColorDialogColours, LoadsNothingWhenNothingIsStoredAndNoMoreThanTheDialogHolds)
{
    {
        ColorDialogHelper helper;
        EXPECT_EQ(QColorDialog::customColor(held - 1), QColor(held - 1, 100, 200));
    }
    Store(held + 8, "#12ab34");
    {
        ColorDialogHelper helper;
        for (int index = 0; index < held; ++index) {
            EXPECT_EQ(QColorDialog::customColor(index), QColor("#12ab34"));
        }
    }
    // A damaged count is not walked to its end (which took minutes).
    file.setValue(GROUP + "ColorsCount", std::numeric_limits<int>::max());
    file.setValue(GROUP + "Color0", "#fedcba");
    ColorDialogHelper helper;
    EXPECT_EQ(QColorDialog::customColor(0), QColor("#fedcba"));
}

TEST_F(ColorDialogColours, SaveReplacesTheGroupWithOneOpaqueEntryPerColour)
{
    Store(held + 4, "#000001");
    {
        ColorDialogHelper helper;
        QColorDialog::setCustomColor(3, QColor(10, 20, 30, 128));
    }
    file.beginGroup(GROUP);
    EXPECT_EQ(file.childKeys().size(), held + 1);
    EXPECT_EQ(file.value("ColorsCount").toInt(), held);
    EXPECT_EQ(file.value("Color" + QString::number(held - 1)).toString(), "#000001");
    EXPECT_EQ(file.value("Color3").toString(), "#0a141e");

    QColorDialog::setCustomColor(3, Qt::white);
    ColorDialogHelper reloaded;
    EXPECT_EQ(QColorDialog::customColor(3), QColor(10, 20, 30));
}

TEST_F(ColorDialogColours, CopyLoadsNothingButSavesOnDestruction)
{
    ColorDialogHelper original;
    Store(1, "#fedcba");
    {
        ColorDialogHelper copy(original);
        EXPECT_EQ(QColorDialog::customColor(0), QColor(0, 100, 200));
        QColorDialog::setCustomColor(0, QColor("#123456"));
    }
    EXPECT_EQ(file.value(GROUP + "Color0").toString(), "#123456");
}

} // namespace
} // namespace Talvex::Test
