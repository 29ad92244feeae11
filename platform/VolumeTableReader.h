#pragma once
// Turns the kernel's mount table into the drives of the volume table: which mounts count as
// drives, their letters and their kinds. Nothing here touches a mount's source, and a mount point
// only through the cached look of VolumeSource::MountPointIsDirectory.

#include "platform/VolumeSource.h"
#include "platform/VolumeTable.h"

namespace zelk {

inline constexpr const char* kMountInfoPath = "/proc/self/mountinfo";

// An unreadable mount table gives an empty table.
VolumeTable ReadVolumeTable(VolumeSource& source);

}  // namespace zelk
