#include "App/Application/EmailDialog/EmailDialogCreator.h"

#include "App/Application/EmailDialog/EmailDialog.h"

namespace Talvex {
namespace {

EmailDialogCreator::Factory& CurrentFactory()
{
    static EmailDialogCreator::Factory factory;
    return factory;
}

} // namespace

std::unique_ptr<IEmailDialog> EmailDialogCreator::Create(std::shared_ptr<App::ISettingsManager> mailSettings,
                                                         std::shared_ptr<ILinksManager> links, QWidget* parent)
{
    if (const Factory& factory = CurrentFactory()) {
        return factory(std::move(mailSettings), std::move(links), parent);
    }
    return std::make_unique<EmailDialog>(std::move(mailSettings), parent);
}

void EmailDialogCreator::SetFactory(Factory factory)
{
    CurrentFactory() = std::move(factory);
}

} // namespace Talvex
