#include "platform/SystemVolumeSource.h"

#include <fcntl.h>
#include <sys/stat.h>
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

bool SystemVolumeSource::MountPointIsDirectory(const std::string& mountPoint) {
    // No sync, no automount, no link followed: a hung server is never asked.
    struct statx attributes {};
    if (statx(AT_FDCWD, mountPoint.c_str(),
              AT_STATX_DONT_SYNC | AT_NO_AUTOMOUNT | AT_SYMLINK_NOFOLLOW, STATX_TYPE,
              &attributes) != 0 ||
        (attributes.stx_mask & STATX_TYPE) == 0) {
        return true;
    }
    return S_ISDIR(attributes.stx_mode);
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
