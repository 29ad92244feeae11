#include "platform/TreeRemover.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/EntryLookup.h"

namespace zelk {
namespace {

struct Identity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t mount = 0;
    bool directory = false;
};

bool Identify(int dirFd, const char* name, Identity& id) {
    struct statx sx {};
    const int flags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | (*name == '\0' ? AT_EMPTY_PATH : 0);
    if (statx(dirFd, name, flags, STATX_TYPE | STATX_INO | STATX_MNT_ID, &sx) != 0) {
        return false;
    }
    id.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    id.inode = sx.stx_ino;
    id.mount = (sx.stx_mask & STATX_MNT_ID) != 0 ? sx.stx_mnt_id : 0;
    id.directory = S_ISDIR(sx.stx_mode);
    return true;
}

bool SameDirectory(const Identity& a, const Identity& b) {
    return a.device == b.device && a.inode == b.inode;
}

// One directory being emptied. Its names are read whole when it is entered, so its descriptor
// is needed only to remove them and may be closed meanwhile.
struct Frame {
    int fd = -1;
    Identity id;
    std::string name;  // in its parent
    std::vector<std::string> names;
    std::size_t next = 0;
};

bool ReadNames(int fd, std::vector<std::string>& names) {
    const int own = dup(fd);
    if (own < 0) {
        return false;
    }
    DIR* dir = fdopendir(own);
    if (dir == nullptr) {
        close(own);
        return false;
    }
    errno = 0;
    while (const dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            names.emplace_back(entry->d_name);
        }
        errno = 0;
    }
    const bool read = errno == 0;
    closedir(dir);
    return read;
}

}  // namespace

int TreeRemover::OpenBeneath(const std::string& root, const std::vector<std::string>& names) {
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Identity rootId;
    if (fd < 0 || !Identify(fd, "", rootId)) {
        if (fd >= 0) {
            close(fd);
        }
        return -1;
    }
    for (const std::string& name : names) {
        const int next = openat(fd, name.c_str(), kChildOpenFlags);
        const int error = errno;
        close(fd);
        Identity id;
        if (next < 0 || !Identify(next, "", id) || id.device != rootId.device) {
            if (next >= 0) {
                close(next);
            }
            errno = next < 0 ? error : EXDEV;
            return -1;
        }
        fd = next;
    }
    return fd;
}

TreeRemover::Result TreeRemover::Remove(int parentFd, const std::string& name,
                                        const std::function<bool()>& stop) {
    Result result;
    const auto fail = [&result](int error) {
        if (result.Error == 0) {
            result.Error = error;
        }
    };
    Identity parentId;
    Identity topId;
    if (!Identify(parentFd, "", parentId) || !Identify(parentFd, name.c_str(), topId)) {
        result.Error = errno;
        return result;
    }
    if (!topId.directory) {
        result.Error = ENOTDIR;
        return result;
    }
    if (topId.device != parentId.device || topId.mount != parentId.mount) {
        result.Error = EXDEV;  // a mount point is not this volume's to delete
        return result;
    }
    std::vector<Frame> stack;
    int open = 0;
    const auto closeFrame = [&open](Frame& frame) {
        if (frame.fd >= 0) {
            close(frame.fd);
            frame.fd = -1;
            --open;
        }
    };
    // Enters name of the directory open as dirFd, identified as id; false when it is not the
    // directory that was looked up or cannot be read.
    const auto enter = [&](int dirFd, const std::string& entry, const Identity& id) {
        const int fd = openat(dirFd, entry.c_str(), kChildOpenFlags);
        Identity opened;
        if (fd < 0 || !Identify(fd, "", opened) || !SameDirectory(opened, id)) {
            fail(fd < 0 ? errno : EAGAIN);
            if (fd >= 0) {
                close(fd);
            }
            return false;
        }
        ++open;
        stack.push_back(Frame{fd, id, entry, {}, 0});
        if (!ReadNames(fd, stack.back().names)) {
            fail(errno != 0 ? errno : EIO);
        }
        // The shallowest open level gives its descriptor back; it is found again through "..".
        for (std::size_t i = 0; open > kOpenLevels && i + 1 < stack.size(); ++i) {
            closeFrame(stack[i]);
        }
        return true;
    };
    if (!enter(parentFd, name, topId)) {
        return result;
    }
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (stop && stop()) {
            result.Error = ECANCELED;
            for (Frame& left : stack) {
                closeFrame(left);
            }
            return result;
        }
        if (frame.next < frame.names.size()) {
            const std::string& entry = frame.names[frame.next++];
            Identity id;
            if (!Identify(frame.fd, entry.c_str(), id)) {
                if (errno != ENOENT) {
                    fail(errno);
                }
                continue;
            }
            if (!id.directory) {
                if (unlinkat(frame.fd, entry.c_str(), 0) != 0 && errno != ENOENT) {
                    fail(errno);
                }
                continue;
            }
            if (id.device != topId.device || id.mount != topId.mount) {
                fail(EBUSY);  // another volume, or a bind mount, lies below: left as it is
                continue;
            }
            enter(frame.fd, entry, id);
            continue;
        }
        // Done with this level: its parent removes it, reopened from here if it was closed.
        Frame done = std::move(frame);
        stack.pop_back();
        int parent = parentFd;
        if (!stack.empty()) {
            Frame& up = stack.back();
            if (up.fd < 0) {
                const int fd = openat(done.fd, "..", kChildOpenFlags);
                Identity found;
                if (fd < 0 || !Identify(fd, "", found) || !SameDirectory(found, up.id)) {
                    // Moved away meanwhile: nothing above is touched any more.
                    fail(fd < 0 ? errno : EAGAIN);
                    if (fd >= 0) {
                        close(fd);
                    }
                    closeFrame(done);
                    for (Frame& left : stack) {
                        closeFrame(left);
                    }
                    return result;
                }
                up.fd = fd;
                ++open;
            }
            parent = up.fd;
        }
        closeFrame(done);
        if (unlinkat(parent, done.name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
            fail(errno);
        }
    }
    result.Complete = result.Error == 0;
    return result;
}

}  // namespace zelk
