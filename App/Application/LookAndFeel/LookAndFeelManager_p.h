#pragma once

#include "App/Application/LookAndFeel/PlaceholderSubstitution.h"
#include "App/Application/LookAndFeel/ThemeFileReader_p.h"

#include <QSet>
#include <QString>

namespace Talvex::App {

// What the manager keeps from one theme build to the next.
struct LookAndFeelManagerPrivate {
    ThemeFileReader files;
    PlaceholderSubstitution substitution;
    // Bundles this manager registered and has not unregistered since. Qt counts every
    // registration of a file and one unregistration removes only one, so applying the
    // current theme again must not register its bundles a second time.
    QSet<QString> mounted;
};

} // namespace Talvex::App
