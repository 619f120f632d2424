#include "App/Application/Gesture/GestureDecoder.h"

#include <algorithm>
#include <cstdint>

namespace Talvex::App::Gesture {
namespace {

std::uint32_t Low32(std::uint64_t value)
{
    return static_cast<std::uint32_t>(value);
}

std::int16_t Signed16(std::uint64_t value, int shift)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value >> shift));
}

// Client points may lie anywhere in 32 bits; an offset past the edge stops there.
std::int32_t Offset(std::int32_t base, std::int16_t delta)
{
    const std::int64_t sum = std::int64_t(base) + delta;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(sum, INT32_MIN, INT32_MAX));
}

template <class Kind> Kind Common(const Native::GESTUREINFO& info, Point position)
{
    Kind record;
    record.position = position;
    record.screenPosition = {info.ptsLocation.x, info.ptsLocation.y};
    record.begin = (info.dwFlags & Native::GestureFlag::BEGIN) != 0;
    record.end = (info.dwFlags & Native::GestureFlag::END) != 0;
    return record;
}

Gesture::Zoom DecodeZoom(const Native::GESTUREINFO& info, Point position, GestureStart& start)
{
    auto zoom = Common<Gesture::Zoom>(info, position);
    zoom.distance = Low32(info.ullArguments);
    if (zoom.begin) {
        start.zoomStartDistance = zoom.distance;
    }
    zoom.startDistance = start.zoomStartDistance;
    return zoom;
}

Gesture::Pan DecodePan(const Native::GESTUREINFO& info, Point position, GestureStart& start)
{
    auto pan = Common<Gesture::Pan>(info, position);
    if (pan.begin) {
        start.panStartPosition = position;
    }
    pan.startPosition = start.panStartPosition;
    pan.inertiaVector = {Signed16(info.ullArguments, 32), Signed16(info.ullArguments, 48)};
    pan.inertia = (info.dwFlags & Native::GestureFlag::INERTIA) != 0;
    pan.distance = Low32(info.ullArguments);
    return pan;
}

Gesture::Rotate DecodeRotate(const Native::GESTUREINFO& info, Point position, GestureStart& start)
{
    auto rotate = Common<Gesture::Rotate>(info, position);
    rotate.angle = RotateAngleFromArgument(info.ullArguments);
    if (rotate.begin) {
        start.rotateStartAngle = rotate.angle;
    }
    rotate.startAngle = start.rotateStartAngle;
    return rotate;
}

Gesture::Tap DecodeTap(const Native::GESTUREINFO& info, Point position)
{
    auto tap = Common<Gesture::Tap>(info, position);
    tap.distance = Low32(info.ullArguments);
    return tap;
}

// The tapping finger's offset from the held one comes as two signed 16-bit values.
Gesture::PressAndTap DecodePressAndTap(const Native::GESTUREINFO& info, Point position)
{
    auto pressAndTap = Common<Gesture::PressAndTap>(info, position);
    pressAndTap.tapPosition = {Offset(position.x, Signed16(info.ullArguments, 0)),
                               Offset(position.y, Signed16(info.ullArguments, 16))};
    return pressAndTap;
}

} // namespace

double RotateAngleFromArgument(std::uint64_t argument)
{
    // The system's own formula, evaluated in its order so results match to the bit.
    return static_cast<double>(argument) / 65535.0 * 4.0 * 3.14159265 - 6.2831853;
}

DecodedGesture DecodeGesture(const Native::GESTUREINFO& info, Point position, GestureStart& start)
{
    switch (info.dwID) {
    case Native::GestureId::ZOOM:
        return DecodeZoom(info, position, start);
    case Native::GestureId::PAN:
        return DecodePan(info, position, start);
    case Native::GestureId::ROTATE:
        return DecodeRotate(info, position, start);
    case Native::GestureId::TWO_FINGER_TAP:
        return DecodeTap(info, position);
    case Native::GestureId::PRESS_AND_TAP:
        return DecodePressAndTap(info, position);
    default:
        return std::monostate();
    }
}

} // namespace Talvex::App::Gesture
