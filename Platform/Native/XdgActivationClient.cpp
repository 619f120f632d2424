#include "Platform/Native/XdgActivationClient_p.h"

#include "xdg-activation-v1-client-protocol.h"

#include <QDeadlineTimer>

#include <wayland-client.h>

#include <algorithm>
#include <cstring>

#include <poll.h>
#include <unistd.h>

namespace Talvex::Native {
namespace {

// Version 5 is the first with wl_seat.release; later ones add pointer events we ignore.
const std::uint32_t SEAT_VERSION = 5;

// For the events we have no use for; every listener entry must be a function.
template <class... Arguments> void Ignore(void*, Arguments...)
{
}

XdgActivationClient* Self(void* data)
{
    return static_cast<XdgActivationClient*>(data);
}

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version)
{
    Self(data)->OnGlobal(registry, name, interface, version);
}

const wl_registry_listener REGISTRY_LISTENER = {OnGlobal, Ignore<wl_registry*, std::uint32_t>};

void OnCapabilities(void* data, wl_seat*, std::uint32_t capabilities)
{
    Self(data)->OnSeatCapabilities(capabilities);
}

const wl_seat_listener SEAT_LISTENER = {OnCapabilities, Ignore<wl_seat*, const char*>};

void OnKeymap(void*, wl_keyboard*, std::uint32_t, std::int32_t descriptor, std::uint32_t)
{
    ::close(descriptor);
}

void OnKeyboardEnter(void* data, wl_keyboard*, std::uint32_t serial, wl_surface*, wl_array*)
{
    Self(data)->OnInputSerial(serial);
}

void OnKey(void* data, wl_keyboard*, std::uint32_t serial, std::uint32_t, std::uint32_t, std::uint32_t)
{
    Self(data)->OnInputSerial(serial);
}

const wl_keyboard_listener KEYBOARD_LISTENER = {
    OnKeymap,
    OnKeyboardEnter,
    Ignore<wl_keyboard*, std::uint32_t, wl_surface*>,
    OnKey,
    Ignore<wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t>,
    Ignore<wl_keyboard*, std::int32_t, std::int32_t>};

void OnPointerEnter(void* data, wl_pointer*, std::uint32_t serial, wl_surface*, wl_fixed_t, wl_fixed_t)
{
    Self(data)->OnInputSerial(serial);
}

void OnButton(void* data, wl_pointer*, std::uint32_t serial, std::uint32_t, std::uint32_t, std::uint32_t)
{
    Self(data)->OnInputSerial(serial);
}

const wl_pointer_listener POINTER_LISTENER = {OnPointerEnter,
                                              Ignore<wl_pointer*, std::uint32_t, wl_surface*>,
                                              Ignore<wl_pointer*, std::uint32_t, wl_fixed_t, wl_fixed_t>,
                                              OnButton,
                                              Ignore<wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t>,
                                              Ignore<wl_pointer*>,
                                              Ignore<wl_pointer*, std::uint32_t>,
                                              Ignore<wl_pointer*, std::uint32_t, std::uint32_t>,
                                              Ignore<wl_pointer*, std::uint32_t, std::int32_t>,
                                              Ignore<wl_pointer*, std::uint32_t, std::int32_t>};

void OnTokenDone(void* data, xdg_activation_token_v1*, const char* token)
{
    Self(data)->OnTokenDone(token);
}

const xdg_activation_token_v1_listener TOKEN_LISTENER = {OnTokenDone};

// Keeps one input device of the seat while the seat has it: the compositor sends input
// only to devices asked for after the capability appeared.
template <class Device, class Listener>
void Follow(bool present, wl_seat* seat, Device*& device, Device* (*get)(wl_seat*), void (*release)(Device*),
            const Listener* listener, void* data)
{
    if (present && !device) {
        device = get(seat);
        wl_proxy_add_listener(reinterpret_cast<wl_proxy*>(device),
                              reinterpret_cast<void (**)(void)>(const_cast<Listener*>(listener)), data);
    } else if (!present && device) {
        release(device);
        device = nullptr;
    }
}

} // namespace

XdgActivationClient::XdgActivationClient(wl_display* display)
    : display(display), queue(wl_display_create_queue(display))
{
    displayOnQueue = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(displayOnQueue), queue);
    registry = wl_display_get_registry(displayOnQueue);
    wl_registry_add_listener(registry, &REGISTRY_LISTENER, this);
    wl_display_roundtrip_queue(display, queue);
    // The seat's first capabilities, so that a keyboard already there is followed.
    wl_display_roundtrip_queue(display, queue);
}

void XdgActivationClient::OnGlobal(wl_registry* from, std::uint32_t name, const char* interface, std::uint32_t version)
{
    if (!activation && std::strcmp(interface, xdg_activation_v1_interface.name) == 0) {
        activation = static_cast<xdg_activation_v1*>(wl_registry_bind(from, name, &xdg_activation_v1_interface, 1));
    } else if (!seat && std::strcmp(interface, wl_seat_interface.name) == 0 && version >= SEAT_VERSION) {
        seat = static_cast<wl_seat*>(wl_registry_bind(from, name, &wl_seat_interface, SEAT_VERSION));
        wl_seat_add_listener(seat, &SEAT_LISTENER, this);
    }
}

void XdgActivationClient::OnSeatCapabilities(std::uint32_t capabilities)
{
    Follow((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0, seat, keyboard, &wl_seat_get_keyboard,
           &wl_keyboard_release, &KEYBOARD_LISTENER, this);
    Follow((capabilities & WL_SEAT_CAPABILITY_POINTER) != 0, seat, pointer, &wl_seat_get_pointer, &wl_pointer_release,
           &POINTER_LISTENER, this);
    wl_display_flush(display);
}

void XdgActivationClient::OnInputSerial(std::uint32_t serial)
{
    lastSerial = serial;
    haveSerial = true;
}

void XdgActivationClient::OnTokenDone(const char* token)
{
    receivedToken = QString::fromUtf8(token);
    tokenDone = true;
}

void XdgActivationClient::DispatchPending()
{
    wl_display_dispatch_queue_pending(display, queue);
}

QString XdgActivationClient::RequestToken(wl_surface* surface, int timeoutMs, QString* reason)
{
    DispatchPending();
    xdg_activation_token_v1* request = xdg_activation_v1_get_activation_token(activation);
    xdg_activation_token_v1_add_listener(request, &TOKEN_LISTENER, this);
    if (seat && haveSerial) {
        xdg_activation_token_v1_set_serial(request, lastSerial, seat);
    }
    xdg_activation_token_v1_set_surface(request, surface);
    xdg_activation_token_v1_commit(request);
    tokenDone = false;
    receivedToken.clear();
    const bool done = WaitForToken(timeoutMs);
    xdg_activation_token_v1_destroy(request);
    wl_display_flush(display);
    if (!done && reason) {
        *reason = QStringLiteral("the compositor gave no activation token within %1 ms").arg(timeoutMs);
    }
    return done ? receivedToken : QString();
}

void XdgActivationClient::Activate(wl_surface* surface, const QString& token)
{
    xdg_activation_v1_activate(activation, token.toUtf8().constData(), surface);
    wl_display_flush(display);
}

bool XdgActivationClient::WaitForToken(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (wl_display_dispatch_queue_pending(display, queue) < 0) {
            return false;
        }
        if (tokenDone) {
            return true;
        }
        if (deadline.hasExpired() || !ReadEvents(static_cast<int>(deadline.remainingTime()))) {
            return false;
        }
    }
}

bool XdgActivationClient::ReadEvents(int timeoutMs)
{
    // Another reader (the toolkit's own thread) may have queued ours already.
    if (wl_display_prepare_read_queue(display, queue) != 0) {
        return true;
    }
    wl_display_flush(display);
    pollfd socket{wl_display_get_fd(display), POLLIN, 0};
    if (::poll(&socket, 1, std::max(timeoutMs, 0)) <= 0) {
        wl_display_cancel_read(display);
        return true;
    }
    return wl_display_read_events(display) == 0;
}

} // namespace Talvex::Native
