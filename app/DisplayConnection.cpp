#include "app/DisplayConnection.h"

#include <dirent.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace zelk {
namespace {

int X11Descriptor() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                   : nullptr;
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    return connection != nullptr ? xcb_get_file_descriptor(connection) : -1;
}

// The compositor's socket as the client library finds it.
std::string WaylandSocketPath() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (name == nullptr || *name == '\0') {
        name = "wayland-0";
    }
    if (*name == '/') {
        return name;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime != nullptr ? std::string(runtime) + "/" + name : std::string();
}

// The socket of this process connected to the compositor: the toolkit keeps its display handle
// to itself in this version, so the connection is told by its peer's address.
int WaylandDescriptor() {
    if (QGuiApplication::platformName() != QLatin1String("wayland")) {
        return -1;
    }
    const std::string path = WaylandSocketPath();
    int found = -1;
    if (DIR* fds = opendir("/proc/self/fd"); fds != nullptr && !path.empty()) {
        while (const dirent* entry = readdir(fds)) {
            const int fd = std::atoi(entry->d_name);
            sockaddr_un peer{};
            socklen_t length = sizeof peer;
            if (entry->d_name[0] != '.' && fd != dirfd(fds) &&
                getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0 &&
                peer.sun_family == AF_UNIX &&
                std::strncmp(peer.sun_path, path.c_str(), sizeof peer.sun_path) == 0) {
                found = fd;
                break;
            }
        }
        closedir(fds);
    }
    return found;
}

bool X11Reachable(const std::string& display) {
    xcb_connection_t* connection =
        xcb_connect(display.empty() ? nullptr : display.c_str(), nullptr);
    const bool reached = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reached;
}

bool WaylandReachable() {
    const std::string path = WaylandSocketPath();
    sockaddr_un address{};
    if (std::getenv("WAYLAND_DISPLAY") == nullptr || path.empty() ||
        path.size() >= sizeof address.sun_path) {
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool reached =
        fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) {
        close(fd);
    }
    return reached;
}

}  // namespace

bool DisplayConnection::Reachable(const std::string& platform, const std::string& display) {
    std::string names = platform;
    if (names.empty()) {
        const char* chosen = std::getenv("QT_QPA_PLATFORM");
        names = chosen != nullptr && *chosen != '\0' ? chosen : "xcb;wayland";
    }
    // A list tried in order, each name perhaps with its own options after a colon.
    for (std::size_t start = 0; start <= names.size();) {
        const std::size_t end = std::min(names.find(';', start), names.size());
        const std::string_view entry = std::string_view(names).substr(start, end - start);
        const std::string_view name = entry.substr(0, entry.find(':'));
        if (name == "xcb"                    ? X11Reachable(display)
            : name.substr(0, 7) == "wayland" ? WaylandReachable()
                                             : !name.empty()) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

int DisplayConnection::Descriptor() {
    const int x11 = X11Descriptor();
    return x11 >= 0 ? x11 : WaylandDescriptor();
}

void DisplayConnection::Shut() {
    const int fd = Descriptor();
    if (fd >= 0) {
        shutdown(fd, SHUT_RDWR);
    }
}

}  // namespace zelk
