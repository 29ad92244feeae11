#pragma once
// Turns the kernel's mount table into the drives of the volume table: which mounts count as
// drives, their letters and their kinds. Nothing here touches a mounted volume.

#include <string>
#include <vector>

#include "platform/MountInfo.h"
#include "platform/VolumeSource.h"
#include "platform/VolumeTable.h"

namespace zelk {

inline constexpr const char* kMountInfoPath = "/proc/self/mountinfo";

// /sys/dev/block/MAJ:MIN/removable.
std::string RemovableFlagPath(unsigned major, unsigned minor);

// An unreadable mount table gives an empty table.
VolumeTable ReadVolumeTable(VolumeSource& source);
VolumeTable BuildVolumeTable(const std::vector<MountEntry>& mounts, VolumeSource& source);

}  // namespace zelk
