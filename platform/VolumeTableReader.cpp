#include "platform/VolumeTableReader.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <tuple>

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

// path is dir itself or lies below it.
bool IsAtOrBelow(std::string_view path, std::string_view dir) {
    if (dir == "/") {
        return true;
    }
    return path.starts_with(dir) && (path.size() == dir.size() || path[dir.size()] == '/');
}

bool IsDrive(const MountEntry& mount) {
    if (Contains(kPseudoFileSystems, mount.FsType)) {
        return false;
    }
    const std::string_view point = mount.MountPoint;
    if (IsAtOrBelow(point, "/dev/shm") || IsAtOrBelow(point, "/run/media")) {
        return true;
    }
    for (const std::string_view system : {"/proc", "/sys", "/dev", "/run"}) {
        if (IsAtOrBelow(point, system)) {
            return false;
        }
    }
    return true;
}

bool FlagSet(VolumeSource& source, const std::string& path) {
    const auto text = source.ReadSystemFile(path);
    return text && !text->empty() && text->front() == '1';
}

// A partition has no flag of its own: its disk, the parent directory in /sys, carries it.
bool IsRemovable(const MountEntry& mount, VolumeSource& source) {
    unsigned major = mount.Major;
    unsigned minor = mount.Minor;
    if (major == 0) {
        // File systems such as btrfs report an anonymous device; the source names the real one.
        if (!mount.Source.starts_with("/dev/")) {
            return false;
        }
        const auto device = source.BlockDeviceOf(mount.Source);
        if (!device) {
            return false;
        }
        std::tie(major, minor) = *device;
    }
    const std::string own = RemovableFlagPath(major, minor);
    if (source.ReadSystemFile(own)) {
        return FlagSet(source, own);
    }
    return FlagSet(source, "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor) +
                               "/../removable");
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

}  // namespace

std::string RemovableFlagPath(unsigned major, unsigned minor) {
    return "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor) + "/removable";
}

VolumeTable ReadVolumeTable(VolumeSource& source) {
    const auto text = source.ReadSystemFile(kMountInfoPath);
    if (!text) {
        return VolumeTable{};
    }
    return BuildVolumeTable(ParseMountInfo(*text), source);
}

VolumeTable BuildVolumeTable(const std::vector<MountEntry>& mounts, VolumeSource& source) {
    // A later mount on the same point hides the earlier one: only the later is reachable.
    std::vector<const MountEntry*> visible;
    for (const MountEntry& mount : mounts) {
        std::erase_if(visible,
                      [&](const MountEntry* seen) { return seen->MountPoint == mount.MountPoint; });
        visible.push_back(&mount);
    }

    std::vector<Volume> volumes;
    std::vector<std::string> others;
    char next = 'd';
    for (const MountEntry* mount : visible) {
        if (!IsDrive(*mount)) {
            others.push_back(mount->MountPoint);
            continue;
        }
        Volume volume;
        if (mount->MountPoint == "/") {
            volume.Letter = 'c';
        } else if (next <= 'z') {
            volume.Letter = next++;
        }
        volume.Kind = KindOf(*mount, source);
        volume.MountPoint = mount->MountPoint;
        volume.Source = mount->Source;
        volume.FsType = mount->FsType;
        volumes.push_back(std::move(volume));
    }
    return VolumeTable(std::move(volumes), std::move(others));
}

}  // namespace zelk
