#pragma once
// One entry of a directory listing, with the fields the scan reads of it. The listing service
// fills it; the identity fields let the walk refuse to enter another volume or a loop without a
// second look-up.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileId.h"

namespace zelk {

// As the entry's own look-up says: a link is never followed.
enum class EntryType : std::uint8_t { Directory, RegularFile, Link, Other };

struct FindData {
    EntryType Type = EntryType::Other;
    // False when the entry was listed but could not be looked up: no size, no date.
    bool LookedUp = true;
    // A directory that is never opened and was not meant to be: the mount point of another
    // volume, or one of the walk's own ancestors.
    bool OtherVolumeOrLoop = false;
    std::int64_t LastWriteTime = 0;  // seconds since 1970-01-01 UTC
    std::uint64_t Size = 0;          // 0 for directories
    // Bytes the file occupies on disk, when they could be read.
    std::optional<std::uint64_t> Allocation;
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    // Links of a regular file; 1 for anything else.
    std::uint64_t Links = 1;
    std::string Name;  // as the directory returns it, bytes unchanged

    FileId Id() const { return FileId{Device, Inode}; }
};

// "." and "..": a directory's own entries, never walked into.
inline bool IsDotName(std::string_view name) {
    return name == "." || name == "..";
}

// A directory below the one listed, which the walk gives a record (whether it enters it is the
// listing's to judge).
inline bool IsSubDirectory(const FindData& entry) {
    return entry.Type == EntryType::Directory && !IsDotName(entry.Name);
}

}  // namespace zelk
