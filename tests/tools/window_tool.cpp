// Helper of the real-window tests: saves a screenshot of a window, or asks it to close the way a
// window manager does (WM_DELETE_WINDOW), so that the program under test needs no test switch.
// Usage: window_tool grab <window id> <file.png> | window_tool close <window id>

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    const auto cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

int Close(xcb_window_t window) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = Atom(connection, "WM_PROTOCOLS");
    message.data.data32[0] = Atom(connection, "WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
    xcb_disconnect(connection);
    return 0;
}

int Grab(int argc, char** argv, WId window, const char* file) {
    QGuiApplication application(argc, argv);
    const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(window);
    if (picture.isNull() || !picture.save(file, "PNG")) {
        std::fprintf(stderr, "cannot grab window %llu\n", static_cast<unsigned long long>(window));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "grab") == 0) {
        return Grab(argc, argv, std::stoull(argv[2]), argv[3]);
    }
    if (argc >= 3 && std::strcmp(argv[1], "close") == 0) {
        return Close(static_cast<xcb_window_t>(std::stoul(argv[2])));
    }
    std::fprintf(stderr, "usage: window_tool grab <id> <file.png> | close <id>\n");
    return 2;
}
