#pragma once

#include "App/Application/EmailDialog/IEmailDialog.h"

#include <TalvexExport.h>

#include <functional>
#include <memory>

class QWidget;

namespace Talvex::App {
class ISettingsManager;
}

namespace Talvex {

class ILinksManager;

// Builds the e-mail dialog. Products may replace the factory; the default builds a
// small subscription dialog. The dialog reads and records its answer in the mail
// settings store it is given (which may be null: then nothing is recorded). GUI
// thread only.
class TALVEX_EXPORT EmailDialogCreator {
public:
    using Factory = std::function<std::unique_ptr<IEmailDialog>(std::shared_ptr<App::ISettingsManager> mailSettings,
                                                                std::shared_ptr<ILinksManager> links, QWidget* parent)>;

    // The dialog, or null when the factory could not build one.
    static std::unique_ptr<IEmailDialog> Create(std::shared_ptr<App::ISettingsManager> mailSettings,
                                                std::shared_ptr<ILinksManager> links, QWidget* parent);
    // An empty factory restores the default one.
    static void SetFactory(Factory factory);
};

} // namespace Talvex
