#include "App/Application/Gesture/Producer.h"

#include "App/Application/Gesture/Consumer.h"
#include "App/Application/Gesture/Producer_p.h"
#include "Platform/Native/GestureEntryPoints.h"

namespace Talvex::App::Gesture {
namespace {

using Native::GESTURECONFIG;
namespace Bit = Native::GestureConfigBit;

Point ToClient(Native::HWND window, Native::POINTS screen)
{
    Native::POINT point{screen.x, screen.y};
    if (const auto convert = Native::GestureApi().ScreenToClient) {
        convert(window, &point);
    }
    return {point.x, point.y};
}

void SendConfig(Native::HWND window, GESTURECONFIG* configs, std::uint32_t count)
{
    if (const auto set = Native::GestureApi().SetGestureConfig) {
        set(window, 0, count, configs, sizeof(GESTURECONFIG));
    }
}

template <class Kind> Kind Touch(const Gesture& point)
{
    Kind record;
    record.position = point.position;
    record.screenPosition = point.screenPosition;
    return record;
}

// Every kind but pan is wanted by exactly Gesture::All; any other answer blocks it.
void ConfigureSimple(GESTURECONFIG& config, int wish)
{
    const bool wanted = wish == Gesture::All;
    config.dwWant = wanted ? Bit::ALL : 0;
    config.dwBlock = wanted ? 0 : Bit::ALL;
}

// The library's inertia and gutter bits are the reverse of the system's.
void ConfigurePan(GESTURECONFIG& config, int wish)
{
    static const struct {
        int option;
        std::uint32_t native;
    } options[] = {{Gesture::VerticalPan, Bit::PAN_SINGLE_FINGER_VERTICALLY},
                   {Gesture::HorizontalPan, Bit::PAN_SINGLE_FINGER_HORIZONTALLY},
                   {Gesture::PanInertia, Bit::PAN_WITH_INERTIA},
                   {Gesture::PanGutter, Bit::PAN_WITH_GUTTER}};
    config.dwWant = wish != 0 ? Bit::PAN : 0;
    config.dwBlock = wish == 0 ? Bit::PAN : 0;
    for (const auto& entry : options) {
        const bool wanted = (wish & (entry.option | Gesture::All)) != 0;
        (wanted ? config.dwWant : config.dwBlock) |= entry.native;
    }
}

} // namespace

ProducerState::ProducerState()
    : configs{{Native::GestureId::ZOOM, 0, Bit::ALL},
              {Native::GestureId::PAN, 0, 0x1E},
              {Native::GestureId::ROTATE, 0, Bit::ALL},
              {Native::GestureId::TWO_FINGER_TAP, 0, Bit::ALL},
              {Native::GestureId::PRESS_AND_TAP, 0, Bit::ALL}}
{
}

Producer::Producer()
{
    Init();
}

Producer::~Producer()
{
    Fini();
}

void Producer::Init()
{
    state = std::make_unique<ProducerState>();
}

void Producer::Fini()
{
    state.reset();
}

Consumer* Producer::Route(const Gesture&)
{
    return nullptr;
}

bool Producer::OnGestureNotify(void* untypedWindow, void*, void* lParam)
{
    const auto window = static_cast<Native::HWND>(untypedWindow);
    const auto& notification = *static_cast<const Native::GESTURENOTIFYSTRUCT*>(lParam);
    Gesture point;
    point.screenPosition = {notification.ptsLocation.x, notification.ptsLocation.y};
    point.position = ToClient(window, notification.ptsLocation);
    Consumer* consumer = Route(point);
    state->target.reset(consumer);
    if (!consumer) {
        GESTURECONFIG blockAll{Native::GestureId::ALL, 0, Bit::ALL};
        SendConfig(window, &blockAll, 1);
        return false;
    }
    ConfigureSimple(*state->zoomConfig, consumer->WantGesture(Touch<Gesture::Zoom>(point)));
    ConfigurePan(*state->panConfig, consumer->WantGesture(Touch<Gesture::Pan>(point)));
    ConfigureSimple(*state->rotateConfig, consumer->WantGesture(Touch<Gesture::Rotate>(point)));
    ConfigureSimple(*state->tapConfig, consumer->WantGesture(Touch<Gesture::Tap>(point)));
    ConfigureSimple(*state->pressAndTapConfig, consumer->WantGesture(Touch<Gesture::PressAndTap>(point)));
    SendConfig(window, state->configs, 5);
    return false;
}

bool Producer::OnGesture(void* untypedWindow, void*, void* lParam)
{
    const auto window = static_cast<Native::HWND>(untypedWindow);
    const auto handle = static_cast<Native::HGESTUREINFO>(lParam);
    Consumer* target = state->target.get();
    const auto& api = Native::GestureApi();
    if (!target || !api.GetGestureInfo) {
        return false;
    }
    Native::GESTUREINFO info{};
    info.cbSize = sizeof(info);
    if (!api.GetGestureInfo(handle, &info)) {
        return false;
    }
    const DecodedGesture step = DecodeGesture(info, ToClient(window, info.ptsLocation), state->start);
    if (std::holds_alternative<std::monostate>(step)) {
        return false;
    }
    std::visit(
        [target](const auto& record) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(record)>, std::monostate>) {
                target->OnGesture(record);
            }
        },
        step);
    if (api.CloseGestureInfoHandle) {
        api.CloseGestureInfoHandle(handle);
    }
    return true;
}

} // namespace Talvex::App::Gesture
