#pragma once
// One line of the kernel's mount table (/proc/self/mountinfo), with every octal escape of its
// paths decoded, and the one test of whether a path lies on a mount point.

#include <string>
#include <string_view>
#include <vector>

namespace zelk {

struct MountEntry {
    unsigned Major = 0;
    unsigned Minor = 0;
    std::string Root;        // the directory of the file system that is mounted (bind mounts)
    std::string MountPoint;  // absolute
    std::string FsType;      // "fuse.sshfs" keeps its subtype
    std::string Source;
};

// The lines that parse, in table order; a malformed line is left out.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// Decodes each backslash and three octal digits to its byte. False when the text would hold a
// NUL byte, which no path can.
bool DecodeMountEscapes(std::string_view field, std::string& decoded);

// path is the mount point itself or lies below it, by whole names ("/homework" is not under
// "/home"); every absolute path is under "/".
bool IsUnderMountPoint(std::string_view path, std::string_view mountPoint);

}  // namespace zelk
