#pragma once
// The running system's volume facts: /proc, /sys and /dev as they are.

#include <memory>

#include "platform/VolumeSource.h"

namespace zelk {

class SystemVolumeSource : public VolumeSource {
  public:
    std::optional<std::string> ReadSystemFile(const std::string& path) override;
    std::optional<std::pair<unsigned, unsigned>> BlockDeviceOf(const std::string& path) override;
    std::string CurrentDirectory() override;
};

}  // namespace zelk
