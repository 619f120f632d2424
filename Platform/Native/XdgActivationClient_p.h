#pragma once

#include <QString>

#include <cstdint>

struct wl_display;
struct wl_event_queue;
struct wl_keyboard;
struct wl_pointer;
struct wl_registry;
struct wl_seat;
struct wl_surface;
struct xdg_activation_v1;

namespace Talvex::Native {

// The activation protocol on a Wayland connection that the GUI toolkit owns. Every
// object of ours lives on an event queue of our own, so the toolkit never dispatches
// our events and we never dispatch its own; the connection's socket is shared, which
// the client library's read protocol allows from any thread.
//
// Besides the activation global it binds the first seat and keeps the serial of the
// last key, button or focus entry this process received there: the compositor lets a
// token with a seat bring a window forward only when that serial is one it gave this
// client and the client still has the keyboard focus. Use it from the GUI thread.
// It lives as long as the connection and is never destroyed: the toolkit closes the
// connection at exit, after which nothing of ours may touch it.
class XdgActivationClient {
public:
    explicit XdgActivationClient(wl_display* display);
    XdgActivationClient(const XdgActivationClient&) = delete;
    XdgActivationClient& operator=(const XdgActivationClient&) = delete;

    // False when the compositor does not offer the activation protocol.
    bool Available() const { return activation != nullptr; }

    // Handles what arrived for us without waiting; keeps the serial current.
    void DispatchPending();

    // A token for `surface`, with the seat and serial when input was seen; empty with
    // *reason set when the compositor gives none within `timeoutMs`.
    QString RequestToken(wl_surface* surface, int timeoutMs, QString* reason);

    // Asks the compositor to activate `surface` with `token`; sent at once.
    void Activate(wl_surface* surface, const QString& token);

    // Listener callbacks (plain functions of the client library call these).
    void OnGlobal(wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version);
    void OnSeatCapabilities(std::uint32_t capabilities);
    void OnInputSerial(std::uint32_t serial);
    void OnTokenDone(const char* token);

private:
    bool WaitForToken(int timeoutMs);
    bool ReadEvents(int timeoutMs);

    wl_display* const display;
    wl_event_queue* const queue;
    wl_display* displayOnQueue = nullptr;
    wl_registry* registry = nullptr;
    xdg_activation_v1* activation = nullptr;
    wl_seat* seat = nullptr;
    wl_keyboard* keyboard = nullptr;
    wl_pointer* pointer = nullptr;
    std::uint32_t lastSerial = 0;
    bool haveSerial = false;
    bool tokenDone = false;
    QString receivedToken;
};

} // namespace Talvex::Native
