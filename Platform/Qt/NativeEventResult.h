#pragma once

#include <QtGlobal>

namespace Talvex::QtCompat {

// Where a native event filter stores the window procedure's result. Qt 6 widened it
// from long to qintptr (a pointer-sized integer); every signature that passes it on
// (NativeEventFilter, EventHandler, Gesture::Router) takes this type, so the same
// product code builds against either Qt.
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
using NativeEventResult = qintptr;
#else
using NativeEventResult = long;
#endif

} // namespace Talvex::QtCompat
