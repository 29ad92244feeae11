#pragma once
// Volume facts given as texts: a mount table, /sys files and the mount points that hold files, as
// a test wants them. Every call is recorded, so a test can show what a reading touched.

#include <map>
#include <set>
#include <vector>

#include "platform/VolumeSource.h"

namespace zelk {

class TextVolumeSource : public VolumeSource {
  public:
    explicit TextVolumeSource(std::string mountInfo, std::string currentDirectory = "/");

    void SetFile(const std::string& path, std::string text);
    // The mount point holds a file, such as a bind-mounted one.
    void SetNotDirectory(const std::string& mountPoint) { notDirectories_.insert(mountPoint); }
    // Each call in order: "read PATH", "statx PATH" or "getcwd".
    const std::vector<std::string>& Calls() const { return calls_; }

    std::optional<std::string> ReadSystemFile(const std::string& path) override;
    bool MountPointIsDirectory(const std::string& mountPoint) override;
    std::string CurrentDirectory() override;

  private:
    std::map<std::string, std::string> files_;
    std::set<std::string> notDirectories_;
    std::string currentDirectory_;
    std::vector<std::string> calls_;
};

}  // namespace zelk
