#pragma once

#include "App/Application/Gesture/Consumer.h"
#include "Platform/Native/GestureEntryPoints.h"

#include <gtest/gtest.h>

#include <vector>

namespace Talvex::Test {

// Stands in for the window system's gesture calls while it lives. A gesture handle is
// the address of a GESTUREINFO the test filled; windows are plain addresses whose
// client area starts at ORIGIN on the screen.
class FakeWindowSystem {
public:
    static constexpr int ORIGIN_X = 1000;
    static constexpr int ORIGIN_Y = 500;
    static inline char window = 0;
    static inline char childWindow = 0;

    FakeWindowSystem() : saved(Native::GestureApi())
    {
        current = this;
        auto& api = Native::GestureApi();
        api.GetGestureInfo = &GetGestureInfo;
        api.CloseGestureInfoHandle = &CloseGestureInfoHandle;
        api.SetGestureConfig = &SetGestureConfig;
        api.ScreenToClient = &ScreenToClient;
        api.GetParent = &GetParent;
        api.DefWindowProcW = &DefWindowProcW;
    }
    ~FakeWindowSystem()
    {
        Native::GestureApi() = saved;
        current = nullptr;
    }

    std::vector<std::vector<Native::GESTURECONFIG>> configs;
    std::vector<const void*> closed;
    int defaultProcedureCalls = 0;
    bool infoFails = false;

private:
    static int GetGestureInfo(Native::HGESTUREINFO handle, Native::GESTUREINFO* info)
    {
        if (current->infoFails || info->cbSize != sizeof(Native::GESTUREINFO)) {
            return 0;
        }
        *info = *static_cast<const Native::GESTUREINFO*>(handle);
        info->cbSize = sizeof(Native::GESTUREINFO);
        return 1;
    }
    static int CloseGestureInfoHandle(Native::HGESTUREINFO handle)
    {
        current->closed.push_back(handle);
        return 1;
    }
    static int SetGestureConfig(Native::HWND, std::uint32_t reserved, std::uint32_t count,
                                Native::GESTURECONFIG* entries, std::uint32_t entrySize)
    {
        EXPECT_EQ(reserved, 0u);
        EXPECT_EQ(entrySize, 12u);
        current->configs.emplace_back(entries, entries + count);
        return 1;
    }
    static int ScreenToClient(Native::HWND, Native::POINT* point)
    {
        point->x -= ORIGIN_X;
        point->y -= ORIGIN_Y;
        return 1;
    }
    static Native::HWND GetParent(Native::HWND child) { return child == &childWindow ? &window : nullptr; }
    static Native::LRESULT DefWindowProcW(Native::HWND, std::uint32_t, Native::WPARAM, Native::LPARAM)
    {
        ++current->defaultProcedureCalls;
        return 42;
    }

    static inline FakeWindowSystem* current = nullptr;
    const Native::GestureEntryPoints saved;
};

// Answers fixed wishes and keeps every record it gets.
class RecordingConsumer : public App::Gesture::Consumer {
public:
    int panWish = 0;
    int otherWish = 0;
    std::vector<App::Gesture::Gesture::Pan> pans;
    std::vector<App::Gesture::Gesture::Zoom> zooms;
    std::vector<App::Gesture::Gesture::Rotate> rotates;
    std::vector<App::Gesture::Gesture::Tap> taps;
    std::vector<App::Gesture::Gesture::PressAndTap> pressAndTaps;

    void OnGesture(const App::Gesture::Gesture::Pan& g) override { pans.push_back(g); }
    void OnGesture(const App::Gesture::Gesture::Zoom& g) override { zooms.push_back(g); }
    void OnGesture(const App::Gesture::Gesture::Rotate& g) override { rotates.push_back(g); }
    void OnGesture(const App::Gesture::Gesture::Tap& g) override { taps.push_back(g); }
    void OnGesture(const App::Gesture::Gesture::PressAndTap& g) override { pressAndTaps.push_back(g); }
    int WantGesture(const App::Gesture::Gesture::Pan&) override { return panWish; }
    int WantGesture(const App::Gesture::Gesture::Zoom&) override { return otherWish; }
    int WantGesture(const App::Gesture::Gesture::Rotate&) override { return otherWish; }
    int WantGesture(const App::Gesture::Gesture::Tap&) override { return otherWish; }
    int WantGesture(const App::Gesture::Gesture::PressAndTap&) override { return otherWish; }
};

} // namespace Talvex::Test
