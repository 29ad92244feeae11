#pragma once
// What makes two names the same file: its device and inode, the one test of identity a walk
// makes (a directory reopened, a read-ahead result, an entry replaced since it was listed).

#include <sys/stat.h>

#include <cstdint>

namespace zelk {

struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool operator==(const FileId&) const = default;
};

inline FileId IdOf(const struct stat& st) {
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace zelk
