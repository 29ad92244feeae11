// A network drive stood in for: a read-only view of a source folder that answers every request
// after a set delay, with the kernel's caches of names and attributes off, so that every look-up,
// attribute query and listing waits one round trip, as on a server mounted without attribute
// caching. Like a server it answers many requests at once, also look-ups in one directory.
// Usage: delay_fs <source folder> <mount point> <delay in microseconds>   (stays in the foreground)

#define FUSE_USE_VERSION 314
#include <dirent.h>
#include <fcntl.h>
#include <fuse_lowlevel.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// A file the kernel knows by its node id; fd is an O_PATH descriptor of it in the source.
struct Node {
    int fd;
    std::pair<dev_t, ino_t> id;
    std::uint64_t lookups;
};

struct Listing {
    DIR* dir;
    off_t offset;  // where dir's position is, as told to the kernel
};

useconds_t delay = 0;
Node root{-1, {}, 0};
std::mutex nodesMutex;
std::map<std::pair<dev_t, ino_t>, Node*> nodes;  // all but the root

void Wait() {
    if (delay > 0) {
        usleep(delay);
    }
}

void Forget(fuse_ino_t ino, std::uint64_t count);

Node& NodeOf(fuse_ino_t ino) {
    return ino == FUSE_ROOT_ID ? root : *reinterpret_cast<Node*>(ino);
}

int Stat(int fd, struct stat& st) {
    return fstatat(fd, "", &st, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

// Looks name up in parent as the kernel's node of it, which the kernel forgets in the end; 0 or
// an errno.
int Find(fuse_ino_t parent, const char* name, fuse_entry_param& entry) {
    const int fd = openat(NodeOf(parent).fd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 || Stat(fd, entry.attr) != 0) {
        const int error = errno;
        if (fd >= 0) {
            close(fd);
        }
        return error;
    }
    Node* node = nullptr;
    {
        std::lock_guard<std::mutex> lock(nodesMutex);
        Node*& known = nodes[{entry.attr.st_dev, entry.attr.st_ino}];
        if (known == nullptr) {
            known = new Node{fd, {entry.attr.st_dev, entry.attr.st_ino}, 0};
        } else {
            close(fd);
        }
        ++known->lookups;
        node = known;
    }
    entry.ino = reinterpret_cast<fuse_ino_t>(node);
    return 0;
}

void Lookup(fuse_req_t req, fuse_ino_t parent, const char* name) {
    Wait();
    fuse_entry_param entry{};
    if (const int error = Find(parent, name, entry); error != 0) {
        fuse_reply_err(req, error);
        return;
    }
    fuse_reply_entry(req, &entry);
}

void Forget(fuse_ino_t ino, std::uint64_t count) {
    if (ino == FUSE_ROOT_ID) {
        return;
    }
    Node* node = &NodeOf(ino);
    std::lock_guard<std::mutex> lock(nodesMutex);
    node->lookups -= count;
    if (node->lookups == 0) {
        nodes.erase(node->id);
        close(node->fd);
        delete node;
    }
}

void ForgetOne(fuse_req_t req, fuse_ino_t ino, std::uint64_t count) {
    Forget(ino, count);
    fuse_reply_none(req);
}

void ForgetMany(fuse_req_t req, std::size_t count, fuse_forget_data* forgets) {
    for (std::size_t i = 0; i < count; ++i) {
        Forget(forgets[i].ino, forgets[i].nlookup);
    }
    fuse_reply_none(req);
}

void GetAttr(fuse_req_t req, fuse_ino_t ino, fuse_file_info* /*file*/) {
    Wait();
    struct stat st {};
    if (const int error = Stat(NodeOf(ino).fd, st); error != 0) {
        fuse_reply_err(req, error);
        return;
    }
    fuse_reply_attr(req, &st, 0);
}

void ReadLink(fuse_req_t req, fuse_ino_t ino) {
    Wait();
    char target[PATH_MAX + 1];
    const ssize_t length = readlinkat(NodeOf(ino).fd, "", target, PATH_MAX);
    if (length < 0) {
        fuse_reply_err(req, errno);
        return;
    }
    target[length] = '\0';
    fuse_reply_readlink(req, target);
}

void OpenDir(fuse_req_t req, fuse_ino_t ino, fuse_file_info* file) {
    Wait();
    const int fd = openat(NodeOf(ino).fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
    if (dir == nullptr) {
        const int error = errno;
        if (fd >= 0) {
            close(fd);
        }
        fuse_reply_err(req, error);
        return;
    }
    file->fh = reinterpret_cast<std::uint64_t>(new Listing{dir, 0});
    if (fuse_reply_open(req, file) != 0) {
        closedir(dir);
        delete reinterpret_cast<Listing*>(file->fh);
    }
}

// Lists with each entry's attributes, as servers do, so that the kernel knows the names and a
// look-up of each is a revalidation, which the kernel sends in parallel also in one directory.
void ReadDirPlus(fuse_req_t req, fuse_ino_t ino, std::size_t size, off_t offset,
                 fuse_file_info* file) {
    Wait();
    Listing& listing = *reinterpret_cast<Listing*>(file->fh);
    if (offset != listing.offset) {
        seekdir(listing.dir, offset);
        listing.offset = offset;
    }
    std::vector<char> buffer(size);
    std::size_t used = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(listing.dir);
        if (entry == nullptr) {
            if (errno != 0 && used == 0) {
                fuse_reply_err(req, errno);
                return;
            }
            break;
        }
        fuse_entry_param found{};
        const std::string_view name = entry->d_name;
        const bool dots = name == "." || name == "..";
        if (dots || Find(ino, entry->d_name, found) != 0) {
            found = {};  // the kernel takes no node of these
            found.attr.st_ino = entry->d_ino;
            found.attr.st_mode = DTTOIF(entry->d_type);
        }
        const std::size_t length = fuse_add_direntry_plus(req, buffer.data() + used, size - used,
                                                          entry->d_name, &found, entry->d_off);
        if (length > size - used) {
            if (found.ino != 0) {
                Forget(found.ino, 1);
            }
            seekdir(listing.dir, listing.offset);  // the entry goes into the next answer
            break;
        }
        used += length;
        listing.offset = entry->d_off;
    }
    fuse_reply_buf(req, buffer.data(), used);
}

void ReleaseDir(fuse_req_t req, fuse_ino_t /*ino*/, fuse_file_info* file) {
    Listing* listing = reinterpret_cast<Listing*>(file->fh);
    closedir(listing->dir);
    delete listing;
    fuse_reply_err(req, 0);
}

void Open(fuse_req_t req, fuse_ino_t ino, fuse_file_info* file) {
    Wait();
    if ((file->flags & O_ACCMODE) != O_RDONLY) {
        fuse_reply_err(req, EROFS);
        return;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(NodeOf(ino).fd);
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        fuse_reply_err(req, errno);
        return;
    }
    file->fh = static_cast<std::uint64_t>(fd);
    if (fuse_reply_open(req, file) != 0) {
        close(fd);
    }
}

void Read(fuse_req_t req, fuse_ino_t /*ino*/, std::size_t size, off_t offset,
          fuse_file_info* file) {
    Wait();
    std::vector<char> buffer(size);
    const ssize_t length = pread(static_cast<int>(file->fh), buffer.data(), size, offset);
    if (length < 0) {
        fuse_reply_err(req, errno);
        return;
    }
    fuse_reply_buf(req, buffer.data(), static_cast<std::size_t>(length));
}

void Release(fuse_req_t req, fuse_ino_t /*ino*/, fuse_file_info* file) {
    close(static_cast<int>(file->fh));
    fuse_reply_err(req, 0);
}

void StatFs(fuse_req_t req, fuse_ino_t /*ino*/) {
    Wait();
    struct statvfs st {};
    if (fstatvfs(root.fd, &st) != 0) {
        fuse_reply_err(req, errno);
        return;
    }
    fuse_reply_statfs(req, &st);
}

void Init(void* /*data*/, fuse_conn_info* connection) {
    // Without it the kernel serves the look-ups in one directory one at a time.
    if ((connection->capable & FUSE_CAP_PARALLEL_DIROPS) != 0) {
        connection->want |= FUSE_CAP_PARALLEL_DIROPS;
    }
    connection->want |= FUSE_CAP_READDIRPLUS;
    connection->want &= ~FUSE_CAP_READDIRPLUS_AUTO;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: delay_fs <source folder> <mount point> <delay in microseconds>\n");
        return 2;
    }
    root.fd = open(argv[1], O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (root.fd < 0) {
        std::perror(argv[1]);
        return 1;
    }
    delay = static_cast<useconds_t>(std::strtoul(argv[3], nullptr, 10));

    fuse_lowlevel_ops operations{};
    operations.init = Init;
    operations.lookup = Lookup;
    operations.forget = ForgetOne;
    operations.forget_multi = ForgetMany;
    operations.getattr = GetAttr;
    operations.readlink = ReadLink;
    operations.opendir = OpenDir;
    operations.readdirplus = ReadDirPlus;
    operations.releasedir = ReleaseDir;
    operations.open = Open;
    operations.read = Read;
    operations.release = Release;
    operations.statfs = StatFs;

    char program[] = "delay_fs";
    char options[] = "-oro,fsname=zelk-delay,subtype=zelk-delay";
    char* arguments[] = {program, options, nullptr};
    fuse_args args = FUSE_ARGS_INIT(2, arguments);
    fuse_session* session = fuse_session_new(&args, &operations, sizeof operations, nullptr);
    if (session == nullptr) {
        return 1;
    }
    int result = 1;
    if (fuse_set_signal_handlers(session) == 0) {
        if (fuse_session_mount(session, argv[2]) == 0) {
            fuse_loop_config* config = fuse_loop_cfg_create();
            fuse_loop_cfg_set_max_threads(config, 256);
            fuse_loop_cfg_set_clone_fd(config, 1);
            result = fuse_session_loop_mt(session, config) == 0 ? 0 : 1;
            fuse_loop_cfg_destroy(config);
            fuse_session_unmount(session);
        }
        fuse_remove_signal_handlers(session);
    }
    fuse_session_destroy(session);
    return result;
}
