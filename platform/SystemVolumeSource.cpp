#include "platform/SystemVolumeSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace zelk {

std::optional<std::string> SystemVolumeSource::ReadSystemFile(const std::string& path) {
    // Files under /proc report a size of 0, so read until the end rather than by size.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            close(fd);
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return text;
}

std::optional<std::pair<unsigned, unsigned>> SystemVolumeSource::BlockDeviceOf(
    const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISBLK(st.st_mode)) {
        return std::nullopt;
    }
    return std::pair{major(st.st_rdev), minor(st.st_rdev)};
}

std::string SystemVolumeSource::CurrentDirectory() {
    std::vector<char> buffer(4096);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()) != nullptr) {
            return buffer.data();
        }
        if (errno != ERANGE || buffer.size() > (1u << 20)) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace zelk
