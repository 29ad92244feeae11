// Helper of the real-window tests: saves a screenshot of a window, tells whether a text drawn in
// the window's font shows in its status band, or asks it to close the way a window manager does
// (WM_DELETE_WINDOW), so that the program under test needs no test switch.
// Measures how long the program's event loop keeps a window manager's ping waiting.
// Usage: window_tool grab <window id> <file.png> [<top> <height>]
//        | window_tool shows <window id> <text> [<top>]
//        | window_tool close <window id> | window_tool ping <window id> <seconds>
// shows looks in the 40 pixels below top, by default in the bottom band; ping prints the
// longest round trip in milliseconds and fails when a ping went unanswered for 10 s.

#include <xcb/xcb.h>

#include <poll.h>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/MainFormLayout.h"

namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    const auto cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

xcb_connection_t* Connect() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "no X display\n");
        return nullptr;
    }
    return connection;
}

// A WM_PROTOCOLS message of the given protocol, as a window manager sends it.
void SendProtocol(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t protocol,
                  std::uint32_t time, std::uint32_t extra = 0) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = Atom(connection, "WM_PROTOCOLS");
    message.data.data32[0] = protocol;
    message.data.data32[1] = time;
    message.data.data32[2] = extra;
    xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

int Close(xcb_window_t window) {
    xcb_connection_t* connection = Connect();
    if (connection == nullptr) {
        return 2;
    }
    SendProtocol(connection, window, Atom(connection, "WM_DELETE_WINDOW"), XCB_CURRENT_TIME);
    xcb_disconnect(connection);
    return 0;
}

// _NET_WM_PING, as a window manager sends it; the toolkit answers on its user-interface thread by
// sending the message back to the root window, which only a window manager (here: this tool,
// under a bare X server) may listen to.
int Ping(xcb_window_t window, double seconds) {
    xcb_connection_t* connection = Connect();
    if (connection == nullptr) {
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const std::uint32_t mask =
        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    if (xcb_generic_error_t* error = xcb_request_check(
            connection,
            xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &mask))) {
        std::free(error);
        std::fprintf(stderr, "another client listens as a window manager\n");
        return 2;
    }
    const xcb_atom_t ping = Atom(connection, "_NET_WM_PING");
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    double longest = 0;
    for (std::uint32_t serial = 1; Clock::now() < end; ++serial) {
        const auto sent = Clock::now();
        SendProtocol(connection, window, ping, serial, window);
        bool answered = false;
        while (!answered) {
            const double waited = std::chrono::duration<double>(Clock::now() - sent).count();
            if (waited > 10) {
                std::printf("unanswered for 10 s\n");
                return 1;
            }
            pollfd wait{xcb_get_file_descriptor(connection), POLLIN, 0};
            poll(&wait, 1, 100);
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
                const auto* reply = reinterpret_cast<xcb_client_message_event_t*>(event);
                answered |= (event->response_type & 0x7f) == XCB_CLIENT_MESSAGE &&
                            reply->data.data32[0] == ping && reply->data.data32[1] == serial;
                std::free(event);
            }
            if (xcb_connection_has_error(connection)) {
                return 2;
            }
        }
        longest = std::max(longest, std::chrono::duration<double>(Clock::now() - sent).count());
        poll(nullptr, 0, 5);
    }
    xcb_disconnect(connection);
    std::printf("%.0f\n", longest * 1000);
    return 0;
}

// Which pixels of a picture are ink: darker than half the background.
std::vector<bool> InkOf(const QImage& image, QRect area, int threshold) {
    std::vector<bool> ink;
    ink.reserve(static_cast<std::size_t>(area.width() * area.height()));
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            ink.push_back(qGray(image.pixel(x, y)) < threshold);
        }
    }
    return ink;
}

// Draws text as the status line does and slides it over the window's bottom band; the text
// shows when some place agrees with its ink on nearly every pixel. Prints the best agreement.
int Shows(const QImage& shot, const char* text, int top) {
    const QFont font = zelk::MainFormFont(
        static_cast<int>(QGuiApplication::primaryScreen()->logicalDotsPerInchY()));
    const QString string = QString::fromUtf8(text);
    const QFontMetrics metrics(font);
    QImage sample(metrics.horizontalAdvance(string) + 8, metrics.height() + 8,
                  QImage::Format_RGB32);
    sample.fill(Qt::white);
    {
        QPainter painter(&sample);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(4, 4 + metrics.ascent(), string);
    }
    QRect inked;
    for (int y = 0; y < sample.height(); ++y) {
        for (int x = 0; x < sample.width(); ++x) {
            if (qGray(sample.pixel(x, y)) < 128) {
                inked |= QRect(x, y, 1, 1);
            }
        }
    }
    const int bandTop = top >= 0 ? std::min(top, shot.height()) : std::max(0, shot.height() - 40);
    const QRect band(0, bandTop, shot.width(), std::min(40, shot.height() - bandTop));
    if (inked.isEmpty() || inked.width() > band.width() || inked.height() > band.height()) {
        std::printf("0.000\n");
        return 1;
    }
    // The band is nearly all background, so half its mean grey parts ink from background.
    long grey = 0;
    for (int y = band.top(); y <= band.bottom(); ++y) {
        for (int x = band.left(); x <= band.right(); ++x) {
            grey += qGray(shot.pixel(x, y));
        }
    }
    const std::vector<bool> want = InkOf(sample, inked, 128);
    const std::vector<bool> have =
        InkOf(shot, band, static_cast<int>(grey / (band.width() * band.height()) / 2));
    double best = 0;
    for (int top = 0; top + inked.height() <= band.height(); ++top) {
        for (int left = 0; left + inked.width() <= band.width(); ++left) {
            int agree = 0;
            for (int y = 0; y < inked.height(); ++y) {
                for (int x = 0; x < inked.width(); ++x) {
                    const std::size_t at =
                        static_cast<std::size_t>((top + y) * band.width() + left + x);
                    agree += have[at] == want[static_cast<std::size_t>(y * inked.width() + x)];
                }
            }
            best = std::max(best, static_cast<double>(agree) / static_cast<double>(want.size()));
        }
    }
    std::printf("%.3f\n", best);
    return best >= 0.97 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc >= 3 ? argv[1] : "";
    if (command == "close") {
        return Close(static_cast<xcb_window_t>(std::stoul(argv[2])));
    }
    if (command == "ping" && argc == 4) {
        return Ping(static_cast<xcb_window_t>(std::stoul(argv[2])), std::stod(argv[3]));
    }
    if (argc < 4 || (command != "grab" && command != "shows")) {
        std::fprintf(stderr,
                     "usage: window_tool grab <id> <file.png> [<top> <height>] | shows <id> <text> "
                     "[<top>] | close <id> "
                     "| ping <id> <seconds>\n");
        return 2;
    }
    QGuiApplication application(argc, argv);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(std::stoull(argv[2]));
    if (shot.isNull()) {
        std::fprintf(stderr, "cannot grab window %s\n", argv[2]);
        return 2;
    }
    if (command == "grab") {
        const QPixmap band =
            argc >= 6 ? shot.copy(0, std::stoi(argv[4]), shot.width(), std::stoi(argv[5])) : shot;
        return band.save(argv[3], "PNG") ? 0 : 1;
    }
    return Shows(shot.toImage().convertToFormat(QImage::Format_RGB32), argv[3],
                 argc >= 5 ? std::stoi(argv[4]) : -1);
}
