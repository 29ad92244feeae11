#include "platform/VolumeTableReader.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_map>

#include "platform/MountInfo.h"

namespace zelk {
namespace {

constexpr std::array<std::string_view, 40> kPseudoFileSystems = {
    "proc",       "sysfs",       "devtmpfs",     "devpts",      "cgroup",     "cgroup2",
    "securityfs", "debugfs",     "tracefs",      "pstore",      "bpf",        "mqueue",
    "hugetlbfs",  "configfs",    "fusectl",      "binfmt_misc", "efivarfs",   "autofs",
    "nsfs",       "rpc_pipefs",  "selinuxfs",    "smackfs",     "apparmorfs", "nfsd",
    "sockfs",     "pipefs",      "anon_inodefs", "bdev",        "devfs",      "usbfs",
    "cpuset",     "resctrl",     "xenfs",        "fuse.lxcfs",  "spufs",      "gadgetfs",
    "functionfs", "ocfs2_dlmfs", "oprofilefs",   "openpromfs",
};

// Read-only images (every snap is one) and container layers: copies of files that live elsewhere.
constexpr std::array<std::string_view, 9> kImagesAndLayers = {
    "squashfs",
    "erofs",
    "cramfs",
    "fuse.snapfuse",
    "fuse.squashfuse",
    "fuse.squashfuse_ll",
    "overlay",
    "fuse.fuse-overlayfs",
    "aufs",
};

constexpr std::array<std::string_view, 22> kNetworkFileSystems = {
    "nfs",   "nfs4",        "cifs",      "smb3",           "smbfs",       "9p",
    "ceph",  "fuse.ceph",   "glusterfs", "fuse.glusterfs", "fuse.sshfs",  "sshfs",
    "afs",   "coda",        "ncpfs",     "lustre",         "fuse.rclone", "fuse.s3fs",
    "davfs", "fuse.davfs2", "orangefs",  "virtiofs",
};

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsSystemPlace(std::string_view point) {
    if (IsUnderMountPoint(point, "/dev/shm") || IsUnderMountPoint(point, "/run/media")) {
        return false;
    }
    for (const std::string_view system :
         {"/proc", "/sys", "/dev", "/run", "/snap", "/var/lib/docker"}) {
        if (IsUnderMountPoint(point, system)) {
            return true;
        }
    }
    return false;
}

enum class MountRole { Drive, NoDrive, File };

MountRole RoleOf(const MountEntry& mount, VolumeSource& source) {
    if (Contains(kPseudoFileSystems, mount.FsType)) {
        return MountRole::NoDrive;
    }
    // The system runs from its root whatever that is made of: a live image or a container layer.
    if (mount.MountPoint == "/") {
        return MountRole::Drive;
    }
    if (Contains(kImagesAndLayers, mount.FsType) || IsSystemPlace(mount.MountPoint)) {
        return MountRole::NoDrive;
    }
    // The root of a file system is a directory: only a bind mount can put a file there.
    if (mount.Root != "/" && !source.MountPointIsDirectory(mount.MountPoint)) {
        return MountRole::File;
    }
    return MountRole::Drive;
}

// The flag of the disk: a partition has none of its own, its parent directory in /sys has it.
// Anonymous devices (major 0: tmpfs, network, btrfs) have no disk to ask.
bool IsRemovable(const MountEntry& mount, VolumeSource& source) {
    if (mount.Major == 0) {
        return false;
    }
    const std::string device =
        "/sys/dev/block/" + std::to_string(mount.Major) + ":" + std::to_string(mount.Minor);
    auto flag = source.ReadSystemFile(device + "/removable");
    if (!flag) {
        flag = source.ReadSystemFile(device + "/../removable");
    }
    return flag && flag->starts_with('1');
}

DriveKind KindOf(const MountEntry& mount, VolumeSource& source) {
    const std::string_view type = mount.FsType;
    if (type == "tmpfs" || type == "ramfs" || type == "rootfs") {
        return DriveKind::RamDisk;
    }
    if (Contains(kNetworkFileSystems, type) || type.starts_with("nfs")) {
        return DriveKind::Network;
    }
    if (type == "iso9660" || type == "udf") {
        return DriveKind::CdRom;
    }
    return IsRemovable(mount, source) ? DriveKind::Removable : DriveKind::Fixed;
}

VolumeTable BuildVolumeTable(const std::vector<MountEntry>& mounts, VolumeSource& source) {
    // A later mount on the same point hides the earlier one: only the later is reachable.
    std::unordered_map<std::string_view, std::size_t> latest;
    for (std::size_t i = 0; i < mounts.size(); ++i) {
        latest[mounts[i].MountPoint] = i;
    }
    std::vector<Volume> volumes;
    std::vector<std::string> others;
    char next = 'd';
    for (std::size_t i = 0; i < mounts.size(); ++i) {
        const MountEntry& mount = mounts[i];
        if (latest[mount.MountPoint] != i) {
            continue;
        }
        const MountRole role = RoleOf(mount, source);
        if (role == MountRole::NoDrive) {
            others.push_back(mount.MountPoint);
        }
        if (role != MountRole::Drive) {
            continue;  // a bound file is neither: the scan counts it like any other file
        }
        Volume volume;
        if (mount.MountPoint == "/") {
            volume.Letter = 'c';
        } else if (next <= 'z') {
            volume.Letter = next++;
        }
        volume.Kind = KindOf(mount, source);
        volume.MountPoint = mount.MountPoint;
        volume.Source = mount.Source;
        volume.FsType = mount.FsType;
        volumes.push_back(std::move(volume));
    }
    return VolumeTable(std::move(volumes), std::move(others));
}

}  // namespace

VolumeTable ReadVolumeTable(VolumeSource& source) {
    const auto text = source.ReadSystemFile(kMountInfoPath);
    if (!text) {
        return VolumeTable{};
    }
    return BuildVolumeTable(ParseMountInfo(*text), source);
}

}  // namespace zelk
