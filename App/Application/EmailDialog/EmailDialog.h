#pragma once

#include "App/Application/EmailDialog/EmailDialogCreator.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace Talvex {

// The default subscription dialog: an e-mail field, "Subscribe" and "Not now". Its
// blocking Show records the answer in the mail settings: "Email" and "IsRegUser" = "1"
// after a subscription, "EmailDialogDeclined" = "1" otherwise.
class TALVEX_EXPORT EmailDialog : public QDialog, public IEmailDialog {
    Q_OBJECT
public:
    EmailDialog(std::shared_ptr<App::ISettingsManager> mailSettings, QWidget* parent);
    ~EmailDialog() override;

    void Show() override;

    // True for text shaped like name@domain.tld.
    static bool IsPlausibleAddress(const QString& text);

private:
    void UpdateSubscribeButton();
    void Record(int result);

    std::shared_ptr<App::ISettingsManager> mailSettings;
    QLineEdit* address;
    QPushButton* subscribe;
};

} // namespace Talvex
