#pragma once
// The running system's volume facts: /proc and /sys as they are, and mount points' types as the
// kernel has them cached.

#include "platform/VolumeSource.h"

namespace zelk {

class SystemVolumeSource : public VolumeSource {
  public:
    std::optional<std::string> ReadSystemFile(const std::string& path) override;
    bool MountPointIsDirectory(const std::string& mountPoint) override;
    std::string CurrentDirectory() override;
};

}  // namespace zelk
