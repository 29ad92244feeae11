#pragma once
// The machine's volumes as drives: each mounted volume that counts as a drive, with its letter,
// kind, mount point and source. The drive chooser lists it; the scan resolves a root "x:" to
// its mount point through it.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

enum class DriveKind { Removable, Fixed, Network, CdRom, RamDisk };

struct Volume {
    char Letter = 0;  // 'c' to 'z'; 0 for a volume past z
    DriveKind Kind = DriveKind::Fixed;
    std::string MountPoint;  // decoded, absolute
    std::string Source;      // decoded mount source, such as server:/export
    std::string FsType;
};

class VolumeTable {
  public:
    VolumeTable() = default;
    explicit VolumeTable(std::vector<Volume> volumes) : volumes_(std::move(volumes)) {}
    // otherMountPoints: the directories where a volume that is no drive is mounted (proc, /run,
    // snaps, ...), so that a directory on one of them is known to lie on no drive. A bind-mounted
    // file is in neither list: it is a file like any other.
    VolumeTable(std::vector<Volume> volumes, std::vector<std::string> otherMountPoints)
        : volumes_(std::move(volumes)), otherMountPoints_(std::move(otherMountPoints)) {}

    const std::vector<Volume>& Volumes() const { return volumes_; }
    const std::vector<std::string>& OtherMountPoints() const { return otherMountPoints_; }
    // The volume with this letter in either case, or nullptr.
    const Volume* ByLetter(char letter) const;
    // The volume whose mount point is the longest that holds an absolute path; nullptr when that
    // mount is no drive.
    const Volume* VolumeOf(std::string_view path) const;

  private:
    std::vector<Volume> volumes_;
    std::vector<std::string> otherMountPoints_;
};

// The table in force for the process: the drive chooser installs it at each rebuild; tests may
// install any table. Never null (empty until installed).
std::shared_ptr<const VolumeTable> InstalledVolumeTable();
void InstallVolumeTable(std::shared_ptr<const VolumeTable> table);

}  // namespace zelk
