#pragma once

#include "Platform/EmailDialog/IEmailDialog.h"

#include <TalvexExport.h>

#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace Talvex {

class ILinksManager;

// Read and write access to the mail settings store, as the dialog needs it: reading
// takes (key, default value), writing (key, value).
struct MailSettingsAccess {
    std::function<QString(const QString& key, const QString& defaultValue)> read;
    std::function<void(const QString& key, const QString& value)> write;
};

// Builds the e-mail dialog. Products may replace the factory; the default builds a
// small subscription dialog. GUI thread only.
class TALVEX_EXPORT EmailDialogCreator {
public:
    using Factory = std::function<std::unique_ptr<IEmailDialog>(const MailSettingsAccess& mailSettings,
                                                                std::shared_ptr<ILinksManager> links, QWidget* parent)>;

    // The dialog, or null when the factory could not build one.
    static std::unique_ptr<IEmailDialog> Create(const MailSettingsAccess& mailSettings,
                                                std::shared_ptr<ILinksManager> links, QWidget* parent);
    // An empty factory restores the default one.
    static void SetFactory(Factory factory);
};

} // namespace Talvex
