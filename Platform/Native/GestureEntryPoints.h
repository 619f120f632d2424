#pragma once

#include "Platform/Native/GestureMessages.h"

#include <TalvexExport.h>

namespace Talvex::Native {

// The window-system calls that gesture handling makes, as one replaceable table.
// Every pointer may be null: the gesture calls are missing on systems without touch
// gestures (Linux among them, where no gesture message ever arrives), and callers
// treat a null pointer as "the call failed". Tests install fakes by assigning the
// table and put the original back afterwards. GUI thread only.
struct GestureEntryPoints {
    int(TALVEX_WINAPI* GetGestureInfo)(HGESTUREINFO handle, GESTUREINFO* info) = nullptr;
    int(TALVEX_WINAPI* CloseGestureInfoHandle)(HGESTUREINFO handle) = nullptr;
    int(TALVEX_WINAPI* SetGestureConfig)(HWND window, std::uint32_t reserved, std::uint32_t count,
                                         GESTURECONFIG* configs, std::uint32_t entrySize) = nullptr;
    int(TALVEX_WINAPI* ScreenToClient)(HWND window, POINT* point) = nullptr;
    HWND(TALVEX_WINAPI* GetParent)(HWND window) = nullptr;
    LRESULT(TALVEX_WINAPI* DefWindowProcW)(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) = nullptr;
};

// The process-wide table, filled during static initialisation of the library.
TALVEX_EXPORT GestureEntryPoints& GestureApi();

} // namespace Talvex::Native
