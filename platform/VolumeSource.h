#pragma once
// Where the volume table gets its facts: the kernel's files, device numbers and the current
// directory. Tests give any texts through TextVolumeSource.

#include <optional>
#include <string>
#include <utility>

namespace zelk {

class VolumeSource {
  public:
    virtual ~VolumeSource() = default;

    // The whole file, or nullopt when it cannot be read.
    virtual std::optional<std::string> ReadSystemFile(const std::string& path) = 0;
    // Major and minor number of a block device node such as /dev/sdb1.
    virtual std::optional<std::pair<unsigned, unsigned>> BlockDeviceOf(const std::string& path) = 0;
    // Absolute path of the process's current directory; empty when it cannot be read.
    virtual std::string CurrentDirectory() = 0;
};

}  // namespace zelk
