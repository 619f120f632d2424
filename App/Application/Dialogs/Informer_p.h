#pragma once

#include "Platform/Util/AlertBox.h"

#include <QPointer>

#include <functional>

class QWidget;

namespace Talvex::App {

class InformerPrivate {
public:
    // Guarded: the box's parent window may delete it while it runs.
    QPointer<Util::AlertBox> currentBox;
    std::function<QWidget*()> parentProvider;
};

} // namespace Talvex::App
