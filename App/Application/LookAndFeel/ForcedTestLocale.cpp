#include "App/Application/LookAndFeel/ForcedTestLocale_p.h"

#include "App/Application/Application.h"
#include "App/Application/TestOptions.h"

#include <QCoreApplication>

namespace Talvex::App {

QString ForcedTestLocale()
{
    const auto* application = qobject_cast<const Application*>(QCoreApplication::instance());
    return application ? application->GetTestOptions().ForcedLocale() : QString();
}

} // namespace Talvex::App
