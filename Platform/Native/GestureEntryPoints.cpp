#include "Platform/Native/GestureEntryPoints.h"

namespace Talvex::Native {
namespace {

#if defined(_WIN32)
template <class Function> Function Resolve(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Function>(::GetProcAddress(module, name)) : nullptr;
}

// user32 is already loaded by any process that has windows; it is looked up, never
// loaded, and the gesture calls stay null on a system that predates them.
GestureEntryPoints SystemEntryPoints()
{
    GestureEntryPoints table;
    const HMODULE user32 = ::GetModuleHandleA("user32.dll");
    table.CloseGestureInfoHandle = Resolve<decltype(table.CloseGestureInfoHandle)>(user32, "CloseGestureInfoHandle");
    table.GetGestureInfo = Resolve<decltype(table.GetGestureInfo)>(user32, "GetGestureInfo");
    table.SetGestureConfig = Resolve<decltype(table.SetGestureConfig)>(user32, "SetGestureConfig");
    table.ScreenToClient = &::ScreenToClient;
    table.GetParent = &::GetParent;
    table.DefWindowProcW = &::DefWindowProcW;
    return table;
}
#else
GestureEntryPoints SystemEntryPoints()
{
    return {};
}
#endif

GestureEntryPoints entryPoints = SystemEntryPoints();

} // namespace

GestureEntryPoints& GestureApi()
{
    return entryPoints;
}

} // namespace Talvex::Native
