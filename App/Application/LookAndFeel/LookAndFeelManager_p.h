#pragma once

#include "App/Application/LookAndFeel/PlaceholderSubstitution.h"
#include "App/Application/LookAndFeel/ThemeFileReader_p.h"
#include "Platform/Util/MountedResourceBundle.h"

#include <QColor>
#include <QString>

#include <map>
#include <memory>

namespace Talvex::App {

// What the manager keeps from one theme build to the next.
struct LookAndFeelManagerPrivate {
    // Registered bundles outlive the manager, as products expect.
    ~LookAndFeelManagerPrivate()
    {
        for (auto& [path, bundle] : mounted) {
            Util::MountedResourceBundle::LeaveMounted(std::move(bundle));
        }
    }

    ThemeFileReader files;
    PlaceholderSubstitution substitution;
    // Bundles this manager registered and has not unregistered since, by the path they
    // were read from. Clearing a theme unregisters exactly these, whatever the theme's
    // folder holds by then. Qt counts every registration and one unregistration removes
    // only one, so applying the current theme again must not register its bundles twice.
    std::map<QString, std::unique_ptr<Util::MountedResourceBundle>> mounted;
    QColor systemAccentColor;
};

} // namespace Talvex::App
