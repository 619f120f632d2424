#include "Platform/EmailDialog/EmailDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace Talvex {

EmailDialog::EmailDialog(const MailSettingsAccess& mailSettings, QWidget* parent)
    : QDialog(parent), mailSettings(mailSettings), address(new QLineEdit(this))
{
    setObjectName(QStringLiteral("EmailDialog"));
    setWindowTitle(tr("Stay informed"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Get news about updates and special offers by e-mail."), this));
    address->setObjectName(QStringLiteral("emailEdit"));
    address->setPlaceholderText(tr("you@example.com"));
    address->setText(mailSettings.read ? mailSettings.read(QStringLiteral("Email"), QString()) : QString());
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
    if (!mailSettings.write) {
        return;
    }
    if (result == QDialog::Accepted && IsPlausibleAddress(address->text())) {
        mailSettings.write(QStringLiteral("Email"), address->text().trimmed());
        mailSettings.write(QStringLiteral("IsRegUser"), QStringLiteral("1"));
    } else {
        mailSettings.write(QStringLiteral("EmailDialogDeclined"), QStringLiteral("1"));
    }
}

} // namespace Talvex
