#pragma once

#include <TalvexExport.h>

#include <QVariant>

namespace Talvex::QtCompat {

// Whether two variants are equal the way Qt 5's QVariant::operator== decides it: two
// numbers compare by value whatever their types, and two other values of different
// types compare after converting the right one to the left one's type (or, when it
// cannot be, the left one to the right one's type); a failed conversion is unequal.
// So the integer 5 equals the text "5". Qt 6's operator== no longer converts; this
// keeps code that compares a typed value with one read back from a text store working
// the same on both. On Qt 5 it is operator== itself.
TALVEX_EXPORT bool ConvertingEquals(const QVariant& left, const QVariant& right);

} // namespace Talvex::QtCompat
