#include "Platform/Native/X11Activation.h"

#include <xcb/xcb.h>

#include <algorithm>
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

// Source 2 (a pager-like tool acting for the user) is honoured by window managers even
// when they would refuse an application stealing the focus; source 1 (the application)
// with the time of the user's action lets them judge the request by that action.
enum class Source : uint32_t { Application = 1, Pager = 2 };

void AskWindowManager(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window, Source source,
                      xcb_timestamp_t time)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = Atom(connection, "_NET_ACTIVE_WINDOW");
    event.data.data32[0] = static_cast<uint32_t>(source);
    event.data.data32[1] = time;
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

// A value of a startup notification message, quoted when it holds a space, a quote or
// a backslash.
QByteArray Quoted(const QByteArray& value)
{
    if (!value.contains(' ') && !value.contains('"') && !value.contains('\\')) {
        return value;
    }
    QByteArray quoted = value;
    quoted.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + quoted + '"';
}

// A startup notification message goes to the root window in pieces of 20 bytes (the
// first typed _NET_STARTUP_INFO_BEGIN, the rest _NET_STARTUP_INFO), ending with a nul,
// from a window of the sender's own.
void SendStartupMessage(xcb_connection_t* connection, const xcb_screen_t& screen, const QByteArray& text)
{
    const xcb_window_t sender = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, sender, screen.root, -100, -100, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, screen.root_visual, 0, nullptr);
    const xcb_atom_t begin = Atom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = Atom(connection, "_NET_STARTUP_INFO");
    const QByteArray message = text + '\0';
    for (int offset = 0; offset < message.size(); offset += 20) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = sender;
        event.type = offset == 0 ? begin : more;
        std::memcpy(event.data.data8, message.constData() + offset, std::min(20, int(message.size()) - offset));
        xcb_send_event(connection, 0, screen.root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&event));
    }
    xcb_destroy_window(connection, sender);
}

void FocusDirectly(xcb_connection_t* connection, xcb_window_t window)
{
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    std::free(xcb_request_check(
        connection, xcb_configure_window_checked(connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &above)));
    std::free(xcb_request_check(
        connection, xcb_set_input_focus_checked(connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME)));
}

// Waits until the server has handled every request sent: one answered request after
// them. A connection closed at once after its last request may otherwise lose it.
void Sync(xcb_connection_t* connection)
{
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

using Connection = std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)>;

// A connection of our own to $DISPLAY and the screen it names; null when there is none.
Connection Connect(const xcb_screen_t** screen)
{
    int screenNumber = 0;
    Connection connection(xcb_connect(nullptr, &screenNumber), &xcb_disconnect);
    if (xcb_connection_has_error(connection.get())) {
        return Connection(nullptr, &xcb_disconnect);
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection.get()));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    *screen = screens.data;
    return connection;
}

void Activate(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window, Source source, xcb_timestamp_t time)
{
    if (WindowManagerRuns(connection, root)) {
        AskWindowManager(connection, root, window, source, time);
    } else {
        FocusDirectly(connection, window);
    }
}

} // namespace

void ActivateX11Window(unsigned long long window)
{
    const xcb_screen_t* screen = nullptr;
    const Connection connection = Connect(&screen);
    if (connection) {
        Activate(connection.get(), screen->root, static_cast<xcb_window_t>(window), Source::Pager, XCB_CURRENT_TIME);
        Sync(connection.get());
    }
}

void ActivateX11WindowForLaunch(unsigned long long window, const QByteArray& startupId)
{
    const xcb_screen_t* screen = nullptr;
    const Connection connection = Connect(&screen);
    if (!connection) {
        return;
    }
    Activate(connection.get(), screen->root, static_cast<xcb_window_t>(window), Source::Application,
             StartupIdTime(startupId));
    if (!startupId.isEmpty()) {
        SendStartupMessage(connection.get(), *screen, "remove: ID=" + Quoted(startupId));
    }
    Sync(connection.get());
}

unsigned int StartupIdTime(const QByteArray& startupId)
{
    const int marker = startupId.lastIndexOf("_TIME");
    if (marker < 0) {
        return 0;
    }
    int end = marker + 5;
    while (end < startupId.size() && startupId.at(end) >= '0' && startupId.at(end) <= '9') {
        ++end;
    }
    bool ok = false;
    const qulonglong time = startupId.mid(marker + 5, end - marker - 5).toULongLong(&ok);
    return ok && time <= 0xffffffffu ? static_cast<unsigned int>(time) : 0;
}

} // namespace Talvex::Native
