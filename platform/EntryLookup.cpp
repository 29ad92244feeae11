#include "platform/EntryLookup.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace zelk {
namespace {

constexpr int kStatFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;

// An entry known without any look-up: of no size, with the given date.
void FillUnlooked(FindData& entry, EntryType type, std::int64_t date) {
    entry.Type = type;
    entry.Size = 0;
    entry.LastWriteTime = date;
    entry.Allocation.reset();
    entry.Device = entry.Inode = 0;
}

EntryType TypeOfListed(unsigned char type) {
    switch (type) {
        case DT_DIR:
            return EntryType::Directory;
        case DT_REG:
            return EntryType::RegularFile;
        case DT_LNK:
            return EntryType::Link;
        default:
            return EntryType::Other;
    }
}

EntryType TypeOf(mode_t mode) {
    return S_ISDIR(mode)   ? EntryType::Directory
           : S_ISREG(mode) ? EntryType::RegularFile
           : S_ISLNK(mode) ? EntryType::Link
                           : EntryType::Other;
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
    entry.Type = TypeOf(st.st_mode);
    entry.Size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    entry.LastWriteTime = st.st_mtim.tv_sec;
    entry.Allocation = static_cast<std::uint64_t>(st.st_blocks) * 512u;
    entry.Device = st.st_dev;
    entry.Inode = st.st_ino;
    entry.Links = S_ISREG(st.st_mode) ? st.st_nlink : 1;
}

bool LookUpEntry(const ListedDirectory& dir, const char* name, unsigned char type, FindData& entry,
                 OpenedDirectory* opened) {
    entry.Name.assign(name);
    return LookUpListed(dir, type, entry, opened);
}

bool LookUpListed(const ListedDirectory& dir, unsigned char type, FindData& entry,
                  OpenedDirectory* opened) {
    const char* name = entry.Name.c_str();
    entry.LookedUp = true;
    entry.OtherVolumeOrLoop = false;
    entry.Links = 1;
    if (IsDotName(entry.Name)) {
        FillFromStat(entry.Name.size() == 1 ? *dir.self : *dir.parent, entry);
        // The parent's date says nothing about what lies below: a directory is dated from inside.
        entry.LastWriteTime = dir.self->st_mtim.tv_sec;
        return true;
    }
    // A look-up there would ask the mounted file system, which may hang.
    if (dir.fence->IsMountPoint(*dir.path, name)) {
        FillUnlooked(entry, EntryType::Directory, dir.self->st_mtim.tv_sec);
        entry.OtherVolumeOrLoop = true;
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
    FillUnlooked(entry, TypeOfListed(type), 0);
    entry.LookedUp = false;
    return true;
}

}  // namespace zelk
