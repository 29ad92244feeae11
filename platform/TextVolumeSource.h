#pragma once
// Volume facts given as texts: a mount table, /sys flags and device nodes as a test or a
// demonstration wants them.

#include <map>

#include "platform/VolumeSource.h"

namespace zelk {

class TextVolumeSource : public VolumeSource {
  public:
    explicit TextVolumeSource(std::string mountInfo, std::string currentDirectory = "/");

    // Marks the block device removable (or not) the way /sys/dev/block shows it.
    void SetRemovable(unsigned major, unsigned minor, bool removable);
    void SetFile(const std::string& path, std::string text);
    void SetBlockDevice(const std::string& path, unsigned major, unsigned minor);
    void SetCurrentDirectory(std::string directory) { currentDirectory_ = std::move(directory); }

    std::optional<std::string> ReadSystemFile(const std::string& path) override;
    std::optional<std::pair<unsigned, unsigned>> BlockDeviceOf(const std::string& path) override;
    std::string CurrentDirectory() override { return currentDirectory_; }

  private:
    std::map<std::string, std::string> files_;
    std::map<std::string, std::pair<unsigned, unsigned>> devices_;
    std::string currentDirectory_;
};

}  // namespace zelk
