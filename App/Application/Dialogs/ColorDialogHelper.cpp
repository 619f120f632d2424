#include "App/Application/Dialogs/ColorDialogHelper.h"

#include "App/Application/Application.h"
#include "App/Application/Settings/ISettingsManager.h"
#include "Platform/Logging/LogLine.h"
#include "Platform/Util/TextConversion.h"

#include <QColor>
#include <QColorDialog>

#include <algorithm>
#include <memory>
#include <string>

namespace Talvex::App {

namespace {

const std::string GROUP = "Talvex::App::ColorDialogHelper";
const std::string COUNT_KEY = GROUP + "/ColorsCount";
// What an unset colour reads as: QColor(Qt::transparent).name().
const std::string DEFAULT_COLOR = "#000000";

std::string ColorKey(int index)
{
    return GROUP + "/Color" + std::to_string(index);
}

std::shared_ptr<ISettingsManager> Settings(const char* action)
{
    auto* application = qobject_cast<Application*>(QCoreApplication::instance());
    auto settings = application ? application->GetSettingsManager() : nullptr;
    if (!settings) {
        TALVEX_LOG(ERROR) << "Custom colours not " << action << ": no application settings manager";
    }
    return settings;
}

void Load()
{
    const auto settings = Settings("loaded");
    if (!settings) {
        return;
    }
    // The dialog ignores indexes beyond the colours it holds, and a damaged count could
    // otherwise keep us reading settings for minutes.
    const int count = std::min(settings->GetInt(COUNT_KEY, 0), QColorDialog::customCount());
    for (int index = 0; index < count; ++index) {
        QColor color;
        color.setNamedColor(Util::Utf8ToQString(settings->GetString(ColorKey(index), DEFAULT_COLOR)));
        QColorDialog::setCustomColor(index, color);
    }
}

void Save()
{
    const auto settings = Settings("saved");
    if (!settings) {
        return;
    }
    // Stale entries of a longer list must not survive.
    settings->Remove(GROUP);
    const int count = QColorDialog::customCount();
    settings->SetInt(COUNT_KEY, count);
    for (int index = 0; index < count; ++index) {
        settings->SetString(ColorKey(index), Util::QStringToUtf8(QColorDialog::customColor(index).name()));
    }
}

} // namespace

ColorDialogHelper::ColorDialogHelper()
{
    Load();
}

ColorDialogHelper::~ColorDialogHelper()
{
    Save();
}

ColorDialogHelper::ColorDialogHelper(const ColorDialogHelper&)
{
}

ColorDialogHelper& ColorDialogHelper::operator=(const ColorDialogHelper&)
{
    return *this;
}

} // namespace Talvex::App
