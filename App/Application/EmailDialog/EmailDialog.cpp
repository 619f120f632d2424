#include "App/Application/EmailDialog/EmailDialog.h"

#include "App/Application/Settings/ISettingsManager.h"
#include "Platform/Util/TextConversion.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace Talvex {

EmailDialog::EmailDialog(std::shared_ptr<App::ISettingsManager> mailSettings, QWidget* parent)
    : QDialog(parent), mailSettings(std::move(mailSettings)), address(new QLineEdit(this))
{
    setObjectName(QStringLiteral("EmailDialog"));
    setWindowTitle(tr("Stay informed"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Get news about updates and special offers by e-mail."), this));
    address->setObjectName(QStringLiteral("emailEdit"));
    address->setPlaceholderText(tr("you@example.com"));
    address->setText(this->mailSettings ? Util::Utf8ToQString(this->mailSettings->GetString("Email", std::string()))
                                        : QString());
    layout->addWidget(address);
    auto* buttons = new QDialogButtonBox(this);
    subscribe = buttons->addButton(tr("Subscribe"), QDialogButtonBox::AcceptRole);
    subscribe->setObjectName(QStringLiteral("subscribeButton"));
    buttons->addButton(tr("Not now"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("notNowButton"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(address, &QLineEdit::textChanged, this, &EmailDialog::UpdateSubscribeButton);
    UpdateSubscribeButton();
}

EmailDialog::~EmailDialog() = default;

void EmailDialog::Show()
{
    Record(exec());
}

bool EmailDialog::IsPlausibleAddress(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^[^@\\s]+@[^@\\s]+\\.[^@\\s.]+$"));
    return pattern.match(text.trimmed()).hasMatch();
}

void EmailDialog::UpdateSubscribeButton()
{
    subscribe->setEnabled(IsPlausibleAddress(address->text()));
}

void EmailDialog::Record(int result)
{
    if (!mailSettings) {
        return;
    }
    if (result == QDialog::Accepted && IsPlausibleAddress(address->text())) {
        mailSettings->SetString("Email", Util::QStringToUtf8(address->text().trimmed()));
        mailSettings->SetString("IsRegUser", "1");
    } else {
        mailSettings->SetString("EmailDialogDeclined", "1");
    }
}

} // namespace Talvex
