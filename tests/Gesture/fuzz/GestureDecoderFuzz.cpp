// Feeds arbitrary gesture steps to the decoder, with start values carried from one
// input to the next as a long-lived producer carries them, and checks what every
// record must satisfy whatever the system sends.
//
// Input layout (little endian, missing bytes read as zero): id u32, flags u32,
// location x i16, y i16, argument u64, client position x i32, y i32.
#include "App/Application/Gesture/GestureDecoder.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <variant>

namespace {

using namespace Talvex::App::Gesture;

struct __attribute__((packed)) Input {
    std::uint32_t id;
    std::uint32_t flags;
    std::int16_t x;
    std::int16_t y;
    std::uint64_t argument;
    std::int32_t clientX;
    std::int32_t clientY;
};

void Require(bool condition)
{
    if (!condition) {
        __builtin_trap();
    }
}

void CheckCommon(const Gesture& record, const Talvex::Native::GESTUREINFO& info, Point position)
{
    Require(record.position == position);
    Require(record.screenPosition.x == info.ptsLocation.x && record.screenPosition.y == info.ptsLocation.y);
    Require(record.begin == ((info.dwFlags & 1) != 0));
    Require(record.end == ((info.dwFlags & 4) != 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static GestureStart start;
    Input input{};
    std::memcpy(&input, data, size < sizeof(input) ? size : sizeof(input));
    Talvex::Native::GESTUREINFO info{};
    info.cbSize = sizeof(info);
    info.dwID = input.id;
    info.dwFlags = input.flags;
    info.ptsLocation = {input.x, input.y};
    info.ullArguments = input.argument;
    const Point position{input.clientX, input.clientY};

    const DecodedGesture decoded = DecodeGesture(info, position, start);
    std::visit(
        [&](const auto& record) {
            using Kind = std::decay_t<decltype(record)>;
            if constexpr (std::is_same_v<Kind, std::monostate>) {
                Require(info.dwID < 3 || info.dwID > 7);
            } else {
                CheckCommon(record, info, position);
                if constexpr (std::is_same_v<Kind, Gesture::Rotate>) {
                    Require(std::isfinite(record.angle) && record.angle >= -6.2831854);
                }
                if constexpr (std::is_same_v<Kind, Gesture::Zoom>) {
                    Require(record.distance >= 0.0 && record.distance <= 4294967295.0);
                }
                if constexpr (std::is_same_v<Kind, Gesture::PressAndTap>) {
                    const std::int64_t dx = std::int64_t(record.tapPosition.x) - position.x;
                    Require(dx >= -32768 && dx <= 32767);
                }
            }
        },
        decoded);
    return 0;
}
