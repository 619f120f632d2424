#include "App/Application/Dialogs/ConfirmationAlertBox.h"

#include "App/Application/Settings/ISettingsManager.h"
#include "Platform/Logging/LogLine.h"
#include "Platform/Util/TextConversion.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPointer>

#include <boost/format.hpp>

namespace Talvex::App {

namespace {

const char* const DONT_CONFIRM_NAME = "dont_confirm";
const char* const ANSWER_NAME = "answer";

} // namespace

ConfirmationAlertBox::ConfirmationAlertBox(std::shared_ptr<ISettingsManager> settings, Level level,
                                           const QString& title, const QString& text,
                                           QMessageBox::StandardButtons buttons, QWidget* parent, Qt::WindowFlags flags)
    : AlertBox(level, title, text, buttons, parent, flags), settings(std::move(settings)),
      dontConfirmBox(new QCheckBox(tr("Don't show this again"), this))
{
    if (!this->settings) {
        TALVEX_LOG(ERROR) << "Confirmation box without a settings manager: answers are neither read nor stored";
    }
    dontConfirmBox->setObjectName(QStringLiteral("dontConfirmCheckBox"));
    dontConfirmBox->setChecked(false);
    setCheckBox(dontConfirmBox);
}

ConfirmationAlertBox::~ConfirmationAlertBox() = default;

void ConfirmationAlertBox::SetConfirmationId(const QString& id)
{
    confirmationId = id;
}

QString ConfirmationAlertBox::GetConfirmationId() const
{
    return confirmationId;
}

void ConfirmationAlertBox::SetConfirmationText(const QString& text)
{
    dontConfirmBox->setText(text);
}

QString ConfirmationAlertBox::GetConfirmationText() const
{
    return dontConfirmBox->text();
}

void ConfirmationAlertBox::SetDontConfirm(bool dontConfirm)
{
    dontConfirmBox->setChecked(dontConfirm);
}

bool ConfirmationAlertBox::IsDontConfirm() const
{
    return dontConfirmBox->isChecked();
}

void ConfirmationAlertBox::SetRememberOnReject(bool remember)
{
    rememberOnReject = remember;
}

bool ConfirmationAlertBox::RememberOnReject() const
{
    return rememberOnReject;
}

void ConfirmationAlertBox::SetRememberOnly(QMessageBox::StandardButtons buttons)
{
    rememberOnly = buttons;
}

QMessageBox::StandardButtons ConfirmationAlertBox::RememberOnly() const
{
    return rememberOnly;
}

void ConfirmationAlertBox::SetForceSaveAnswer(int answer)
{
    forceSave = true;
    forcedAnswer = answer;
}

void ConfirmationAlertBox::Reset()
{
    WriteDontConfirm(false);
}

QMessageBox::StandardButton ConfirmationAlertBox::Exec()
{
    if (ReadDontConfirm()) {
        return static_cast<QMessageBox::StandardButton>(ReadAnswer());
    }
    // The parent may delete the box while it runs; then nothing of it may be touched.
    QPointer<ConfirmationAlertBox> guard(this);
    const QMessageBox::StandardButton pressed = AlertBox::Exec();
    if (!guard || !dontConfirmBox->isChecked() || !MayRemember(pressed)) {
        return pressed;
    }
    WriteDontConfirm(true);
    WriteAnswer(forceSave ? forcedAnswer : pressed);
    return pressed;
}

bool ConfirmationAlertBox::MayRemember(QMessageBox::StandardButton pressed) const
{
    const auto* buttonBox = findChild<QDialogButtonBox*>();
    const auto role = buttonBox ? buttonBox->buttonRole(clickedButton()) : QDialogButtonBox::InvalidRole;
    if (!rememberOnReject && role == QDialogButtonBox::RejectRole) {
        return false;
    }
    return !rememberOnly || rememberOnly.testFlag(pressed);
}

std::string ConfirmationAlertBox::GetSettingKey(const std::string& name) const
{
    return (boost::format("confirm/%1%_%2%") % Util::QStringToUtf8(confirmationId) % name).str();
}

// Without a settings manager (a caller's mistake, logged once) the box simply asks
// every time.
int ConfirmationAlertBox::ReadAnswer() const
{
    return settings ? settings->GetInt(GetSettingKey(ANSWER_NAME), 0) : 0;
}

bool ConfirmationAlertBox::ReadDontConfirm() const
{
    return settings && settings->GetBool(GetSettingKey(DONT_CONFIRM_NAME), false);
}

void ConfirmationAlertBox::WriteAnswer(int answer)
{
    if (settings) {
        settings->SetInt(GetSettingKey(ANSWER_NAME), answer);
    }
}

void ConfirmationAlertBox::WriteDontConfirm(bool dontConfirm)
{
    if (settings) {
        settings->SetBool(GetSettingKey(DONT_CONFIRM_NAME), dontConfirm);
    }
}

} // namespace Talvex::App
