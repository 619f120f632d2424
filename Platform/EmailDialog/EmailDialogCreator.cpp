#include "Platform/EmailDialog/EmailDialogCreator.h"

#include "Platform/EmailDialog/EmailDialog.h"

namespace Talvex {
namespace {

EmailDialogCreator::Factory& CurrentFactory()
{
    static EmailDialogCreator::Factory factory;
    return factory;
}

} // namespace

std::unique_ptr<IEmailDialog> EmailDialogCreator::Create(const MailSettingsAccess& mailSettings,
                                                         std::shared_ptr<ILinksManager> links, QWidget* parent)
{
    if (const Factory& factory = CurrentFactory()) {
        return factory(mailSettings, std::move(links), parent);
    }
    return std::make_unique<EmailDialog>(mailSettings, parent);
}

void EmailDialogCreator::SetFactory(Factory factory)
{
    CurrentFactory() = std::move(factory);
}

} // namespace Talvex
