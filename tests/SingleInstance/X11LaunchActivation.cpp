#include "SingleInstanceFixture.h"

#include <QStandardPaths>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

using Talvex::Test::SingleInstanceTest;
using Talvex::Test::WaitUntil;

namespace {

struct ActivationRequest {
    xcb_window_t window;
    uint32_t source;
    uint32_t time;
};

// Stands where a window manager would: it names itself on the root window, so the
// instance asks it for the activation, and it watches what is sent to the root.
class RootWatcher {
public:
    explicit RootWatcher(const QByteArray& display) : connection(xcb_connect(display.constData(), nullptr))
    {
        root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        const xcb_window_t check = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, check, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        const xcb_atom_t supporting = Atom("_NET_SUPPORTING_WM_CHECK");
        for (const xcb_window_t window : {root, check}) {
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, supporting, XCB_ATOM_WINDOW, 32, 1, &check);
        }
        const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &events);
        activeWindow = Atom("_NET_ACTIVE_WINDOW");
        startupBegin = Atom("_NET_STARTUP_INFO_BEGIN");
        startupMore = Atom("_NET_STARTUP_INFO");
        xcb_flush(connection);
    }
    ~RootWatcher() { xcb_disconnect(connection); }

    void Read()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                Take(*reinterpret_cast<xcb_client_message_event_t*>(event));
            }
            std::free(event);
        }
    }

    std::vector<ActivationRequest> requests;
    QList<QByteArray> startupMessages;

private:
    xcb_atom_t Atom(const char* name)
    {
        auto* reply = xcb_intern_atom_reply(connection,
                                            xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : 0;
        std::free(reply);
        return atom;
    }

    void Take(const xcb_client_message_event_t& message)
    {
        if (message.type == activeWindow) {
            requests.push_back({message.window, message.data.data32[0], message.data.data32[1]});
        } else if (message.type == startupBegin || message.type == startupMore) {
            if (message.type == startupBegin) {
                pending.clear();
            }
            pending.append(reinterpret_cast<const char*>(message.data.data8), 20);
            if (pending.contains('\0')) {
                startupMessages.append(pending.left(pending.indexOf('\0')));
                pending.clear();
            }
        }
    }

    xcb_connection_t* connection;
    xcb_window_t root = 0;
    xcb_atom_t activeWindow = 0, startupBegin = 0, startupMore = 0;
    QByteArray pending;
};

} // namespace

TEST_F(SingleInstanceTest, OnX11TheRequestCarriesTheStartupIdsTimeAndTheLaunchersNotificationIsRemoved)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) {
        GTEST_SKIP() << "skipped: Xvfb is not installed";
    }
    QProcess server;
    server.start(xvfb,
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                  QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("640x480x24")});
    ASSERT_TRUE(server.waitForReadyRead(15000));
    const QByteArray display = ':' + server.readAllStandardOutput().trimmed();
    RootWatcher watcher(display);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("TALVEX_HELPER_WINDOW"), QStringLiteral("1"));
    QProcess* running = Start(QStringLiteral("launch"), code, {}, environment);
    ASSERT_EQ(RoleOf(running), "running");
    const auto windows = WaitForLines("windows", 1);
    ASSERT_EQ(windows.size(), 1);
    const auto window = xcb_window_t(windows.at(0).split(' ').value(1).toULongLong());

    QProcessEnvironment launcher = environment;
    launcher.insert(QStringLiteral("DESKTOP_STARTUP_ID"), QStringLiteral("file-manager-42 \"x\"_TIME4242"));
    EXPECT_EQ(RoleOf(Start(QStringLiteral("launch"), code, {QStringLiteral("clip.mkv")}, launcher)), "handed-over");
    ASSERT_TRUE(WaitUntil([&] { return watcher.Read(), !watcher.startupMessages.isEmpty(); }, 10000));
    ASSERT_EQ(watcher.requests.size(), 1u);
    EXPECT_EQ(watcher.requests[0].window, window);
    EXPECT_EQ(watcher.requests[0].source, 1u) << "asked as the application, to be judged by the launch's time";
    EXPECT_EQ(watcher.requests[0].time, 4242u);
    EXPECT_EQ(watcher.startupMessages, QList<QByteArray>{R"(remove: ID="file-manager-42 \"x\"_TIME4242")"});
    EXPECT_TRUE(WaitForLines("received", 1).value(0).contains("startup= ")) << "the running one never saw the id";

    // From a terminal: no token, no time, nothing to remove; said once.
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(RoleOf(Start(QStringLiteral("launch"), code, {QStringLiteral("more.mkv")}, environment)),
                  "handed-over");
    }
    ASSERT_TRUE(WaitUntil([&] { return watcher.Read(), watcher.requests.size() == 3; }, 10000))
        << watcher.requests.size() << " requests; received: " << Lines("received").join(" / ").constData()
        << running->readAllStandardError().constData();
    EXPECT_EQ(watcher.requests[2].time, 0u);
    EXPECT_EQ(watcher.startupMessages.size(), 1);
    Stop();
    ASSERT_TRUE(running->waitForFinished(10000));
    EXPECT_EQ(running->readAllStandardError().count("without an activation token"), 1);
    server.terminate();
    server.waitForFinished(5000);
}
