#pragma once
// Where the volume table gets its facts: the kernel's mount table and /sys files, a look at a
// mount point's cached type, and the current directory. Nothing here may wait on a file system.
// Tests give any texts through TextVolumeSource, which records every call.

#include <optional>
#include <string>

namespace zelk {

class VolumeSource {
  public:
    virtual ~VolumeSource() = default;

    // The whole file, or nullopt when it cannot be read.
    virtual std::optional<std::string> ReadSystemFile(const std::string& path) = 0;
    // From the attributes the kernel holds, which NFS and FUSE give without asking their server;
    // true when that cannot be told.
    virtual bool MountPointIsDirectory(const std::string& mountPoint) = 0;
    // Absolute path of the process's current directory; empty when it cannot be read.
    virtual std::string CurrentDirectory() = 0;
};

}  // namespace zelk
