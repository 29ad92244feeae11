// A file system that never answers: every look-up, attribute query (but the root's, which
// mounting and entering the mount point need) and listing waits until the process is killed,
// as a hard network mount of a dead server does. A caller blocked in it cannot be interrupted;
// killing this process releases it.
// Usage: hung_fs <mount point>   (stays in the foreground)

#define FUSE_USE_VERSION 31
#include <fuse.h>
#include <unistd.h>

#include <cstring>

namespace {

[[noreturn]] void Hang() {
    for (;;) {
        pause();
    }
}

int GetAttr(const char* path, struct stat* st, fuse_file_info* /*file*/) {
    if (std::strcmp(path, "/") != 0) {
        Hang();
    }
    std::memset(st, 0, sizeof *st);
    st->st_mode = S_IFDIR | 0755;
    st->st_nlink = 2;
    return 0;
}

int ReadDir(const char*, void*, fuse_fill_dir_t, off_t, fuse_file_info*, fuse_readdir_flags) {
    Hang();
}

int Access(const char* /*path*/, int /*mask*/) {
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    fuse_operations operations{};
    operations.getattr = GetAttr;
    operations.readdir = ReadDir;
    operations.access = Access;
    char program[] = "hung_fs";
    char foreground[] = "-f";
    char options[] = "-ofsname=zelk-hung,subtype=zelk-hung";
    char* args[] = {program, foreground, options, argv[1], nullptr};
    return fuse_main(4, args, &operations, nullptr);
}
