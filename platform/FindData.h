#pragma once
// One entry of a directory listing, with the fields the scan reads of it. The listing service
// fills it; the identity and allocation fields are the service's own, kept so that it can answer
// compressed-size queries and refuse to walk into another volume or a loop without a second
// look-up.

#include <cstdint>
#include <string>

namespace zelk {

constexpr std::uint32_t kFileAttributeDirectory = 0x10;
constexpr std::uint32_t kFileAttributeCompressed = 0x800;

struct FindData {
    std::uint32_t Attributes = 0;
    std::int64_t LastWriteTime = 0;  // seconds since 1970-01-01 UTC
    std::uint32_t SizeHigh = 0;      // 0 for directories
    std::uint32_t SizeLow = 0;
    std::string Name;  // as the directory returns it, bytes unchanged

    std::uint64_t Allocation = 0;  // bytes the file occupies on disk
    bool AllocationKnown = false;
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    // Links of a regular file; 1 for anything else.
    std::uint64_t Links = 1;
    // False when the entry was listed but could not be looked up: no size, no date.
    bool LookedUp = true;
    // A directory that is never opened and was not meant to be: the mount point of another
    // volume, or one of the walk's own ancestors.
    bool OutOfWalk = false;
};

// "." and "..": a directory's own entries, never walked into.
inline bool IsDotName(const std::string& name) {
    return name == "." || name == "..";
}

}  // namespace zelk
