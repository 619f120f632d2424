#include "Platform/Qt/VariantEquality.h"

#include <utility>

namespace Talvex::QtCompat {

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
namespace {

bool IsNumber(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

} // namespace

bool ConvertingEquals(const QVariant& left, const QVariant& right)
{
    // Same types, and numbers of any two types, Qt 6 still compares as Qt 5 did.
    if (left.metaType() == right.metaType() || (IsNumber(left) && IsNumber(right))) {
        return left == right;
    }
    QVariant target = left;
    QVariant converted = right;
    if (!converted.canConvert(target.metaType())) {
        std::swap(target, converted);
    }
    return converted.convert(target.metaType()) && target == converted;
}
#else
bool ConvertingEquals(const QVariant& left, const QVariant& right)
{
    return left == right;
}
#endif

} // namespace Talvex::QtCompat
