#pragma once

// The window-system records of touch gestures. The Windows build takes them from the
// system headers; elsewhere they are field-for-field replicas, so that decoding and
// routing are the same code everywhere and tests can hand-build messages.

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace Talvex::Native {

#if defined(_WIN32)
using ::GESTURECONFIG;
using ::GESTUREINFO;
using ::GESTURENOTIFYSTRUCT;
using ::HGESTUREINFO;
using ::HWND;
using ::LPARAM;
using ::LRESULT;
using ::MSG;
using ::POINT;
using ::POINTS;
using ::WPARAM;
#define TALVEX_WINAPI WINAPI
#else
#define TALVEX_WINAPI

using HWND = void*;
using HGESTUREINFO = void*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

struct POINT {
    std::int32_t x;
    std::int32_t y;
};

struct POINTS {
    std::int16_t x;
    std::int16_t y;
};

struct MSG {
    HWND hwnd;
    std::uint32_t message;
    WPARAM wParam;
    LPARAM lParam;
    std::uint32_t time;
    POINT pt;
    std::uint32_t lPrivate;
};

struct GESTUREINFO {
    std::uint32_t cbSize;
    std::uint32_t dwFlags;
    std::uint32_t dwID;
    HWND hwndTarget;
    POINTS ptsLocation;
    std::uint32_t dwInstanceID;
    std::uint32_t dwSequenceID;
    std::uint64_t ullArguments;
    std::uint32_t cbExtraArgs;
};

struct GESTURENOTIFYSTRUCT {
    std::uint32_t cbSize;
    std::uint32_t dwFlags;
    HWND hwndTarget;
    POINTS ptsLocation;
    std::uint32_t dwInstanceID;
};

struct GESTURECONFIG {
    std::uint32_t dwID;
    std::uint32_t dwWant;
    std::uint32_t dwBlock;
};
#endif

static_assert(sizeof(GESTURECONFIG) == 12, "the system reads configuration entries 12 bytes apart");
static_assert(sizeof(void*) != 8 || sizeof(GESTUREINFO) == 56, "the system checks the size it is given");

namespace GestureMessage {
inline constexpr std::uint32_t GESTURE = 0x119;
inline constexpr std::uint32_t GESTURE_NOTIFY = 0x11A;
} // namespace GestureMessage

namespace GestureId {
inline constexpr std::uint32_t ALL = 0;
inline constexpr std::uint32_t BEGIN = 1;
inline constexpr std::uint32_t END = 2;
inline constexpr std::uint32_t ZOOM = 3;
inline constexpr std::uint32_t PAN = 4;
inline constexpr std::uint32_t ROTATE = 5;
inline constexpr std::uint32_t TWO_FINGER_TAP = 6;
inline constexpr std::uint32_t PRESS_AND_TAP = 7;
} // namespace GestureId

namespace GestureFlag {
inline constexpr std::uint32_t BEGIN = 0x1;
inline constexpr std::uint32_t INERTIA = 0x2;
inline constexpr std::uint32_t END = 0x4;
} // namespace GestureFlag

// Want and block bits of a configuration entry. Every gesture but pan has one bit.
namespace GestureConfigBit {
inline constexpr std::uint32_t ALL = 0x1;
inline constexpr std::uint32_t PAN = 0x1;
inline constexpr std::uint32_t PAN_SINGLE_FINGER_VERTICALLY = 0x2;
inline constexpr std::uint32_t PAN_SINGLE_FINGER_HORIZONTALLY = 0x4;
inline constexpr std::uint32_t PAN_WITH_GUTTER = 0x8;
inline constexpr std::uint32_t PAN_WITH_INERTIA = 0x10;
} // namespace GestureConfigBit

} // namespace Talvex::Native
