#include "Platform/Native/X11Activation.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace Talvex::Native {

namespace {

template <class Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

xcb_window_t WindowProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property)
{
    const auto cookie = xcb_get_property(connection, 0, window, property, XCB_ATOM_WINDOW, 0, 1);
    ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (!reply || reply->type != XCB_ATOM_WINDOW || xcb_get_property_value_length(reply.get()) < 4) {
        return XCB_WINDOW_NONE;
    }
    return *static_cast<xcb_window_t*>(xcb_get_property_value(reply.get()));
}

// A compliant window manager names a check window on the root that names itself; a
// stale name left by a window manager that has gone does not.
bool WindowManagerRuns(xcb_connection_t* connection, xcb_window_t root)
{
    const xcb_atom_t check = Atom(connection, "_NET_SUPPORTING_WM_CHECK");
    const xcb_window_t child =
        check == XCB_ATOM_NONE ? xcb_window_t{XCB_WINDOW_NONE} : WindowProperty(connection, root, check);
    return child != XCB_WINDOW_NONE && WindowProperty(connection, child, check) == child;
}

void AskWindowManager(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = Atom(connection, "_NET_ACTIVE_WINDOW");
    // Source 2 (a pager-like tool acting for the user): window managers honour it
    // even when they would refuse an application stealing the focus.
    event.data.data32[0] = 2;
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

void FocusDirectly(xcb_connection_t* connection, xcb_window_t window)
{
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    std::free(xcb_request_check(
        connection, xcb_configure_window_checked(connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &above)));
    std::free(xcb_request_check(
        connection, xcb_set_input_focus_checked(connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME)));
}

} // namespace

void ActivateX11Window(unsigned long long window)
{
    int screenNumber = 0;
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(xcb_connect(nullptr, &screenNumber),
                                                                            &xcb_disconnect);
    if (xcb_connection_has_error(connection.get())) {
        return;
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection.get()));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    const xcb_window_t root = screens.data->root;
    const auto target = static_cast<xcb_window_t>(window);
    if (WindowManagerRuns(connection.get(), root)) {
        AskWindowManager(connection.get(), root, target);
    } else {
        FocusDirectly(connection.get(), target);
    }
    xcb_flush(connection.get());
}

} // namespace Talvex::Native
