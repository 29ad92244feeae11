#include "platform/EntryLookup.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace zelk {
namespace {

constexpr int kStatFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;

// An entry known without any look-up: of no size, with the given date.
void FillUnlooked(FindData& entry, bool directory, std::int64_t date) {
    entry.Attributes = directory ? kFileAttributeDirectory : 0;
    entry.SizeHigh = entry.SizeLow = 0;
    entry.LastWriteTime = date;
    entry.Allocation = 0;
    entry.AllocationKnown = false;
    entry.Device = entry.Inode = 0;
}

}  // namespace

bool OpenListed(int dirFd, const char* name, OpenedDirectory& opened) {
    opened.fd = openat(dirFd, name, kChildOpenFlags);
    if (opened.fd >= 0 && fstat(opened.fd, &opened.self) == 0) {
        return true;
    }
    opened.Close();
    return false;
}

void OpenedDirectory::Close() {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

void FillFromStat(const struct stat& st, FindData& entry) {
    const bool directory = S_ISDIR(st.st_mode);
    const std::uint64_t allocation = static_cast<std::uint64_t>(st.st_blocks) * 512u;
    const std::uint64_t size = directory ? 0 : static_cast<std::uint64_t>(st.st_size);
    entry.Attributes = directory ? kFileAttributeDirectory : 0;
    if (S_ISREG(st.st_mode) && allocation < size) {
        entry.Attributes |= kFileAttributeCompressed;
    }
    entry.SizeHigh = static_cast<std::uint32_t>(size >> 32);
    entry.SizeLow = static_cast<std::uint32_t>(size);
    entry.LastWriteTime = st.st_mtim.tv_sec;
    entry.Allocation = allocation;
    entry.AllocationKnown = true;
    entry.Device = st.st_dev;
    entry.Inode = st.st_ino;
    entry.Links = S_ISREG(st.st_mode) ? st.st_nlink : 1;
}

bool LookUpEntry(const ListedDirectory& dir, const char* name, unsigned char type, FindData& entry,
                 OpenedDirectory* opened) {
    entry.Name.assign(name);
    entry.LookedUp = true;
    entry.OutOfWalk = false;
    entry.Links = 1;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
        FillFromStat(name[1] == '\0' ? *dir.self : *dir.parent, entry);
        // The parent's date says nothing about what lies below: a directory is dated from inside.
        entry.LastWriteTime = dir.self->st_mtim.tv_sec;
        return true;
    }
    // A look-up there would ask the mounted file system, which may hang.
    if (dir.fence->IsMountPoint(*dir.path, name)) {
        FillUnlooked(entry, true, dir.self->st_mtim.tv_sec);
        entry.OutOfWalk = true;
        return true;
    }
    if (opened != nullptr && type == DT_DIR && OpenListed(dir.fd, name, *opened)) {
        FillFromStat(opened->self, entry);
        return true;
    }
    struct stat st;
    if (fstatat(dir.fd, name, &st, kStatFlags) == 0) {
        FillFromStat(st, entry);
        return true;
    }
    if (errno == ENOENT) {
        return false;
    }
    FillUnlooked(entry, type == DT_DIR, 0);
    entry.LookedUp = false;
    return true;
}

}  // namespace zelk
