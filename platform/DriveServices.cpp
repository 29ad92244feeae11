#include "platform/DriveServices.h"

namespace zelk {
namespace {

constexpr bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The volume a "x:" or "x:\" names, or nullptr.
const Volume* VolumeOfRoot(const VolumeTable& table, std::string_view root) {
    if (root.size() < 2 || root.size() > 3 || !IsLetter(root[0]) || root[1] != ':' ||
        (root.size() == 3 && root[2] != '\\')) {
        return nullptr;
    }
    return table.ByLetter(root[0]);
}

// Length of the mount point when it holds path, else 0 (a root "/" counts as 1).
std::size_t PrefixLength(std::string_view path, std::string_view mountPoint) {
    if (mountPoint == "/") {
        return 1;
    }
    if (path.starts_with(mountPoint) &&
        (path.size() == mountPoint.size() || path[mountPoint.size()] == '/')) {
        return mountPoint.size();
    }
    return 0;
}

std::string WithBackslashes(std::string_view path) {
    std::string result(path);
    for (char& c : result) {
        if (c == '/') {
            c = '\\';
        }
    }
    return result;
}

}  // namespace

std::uint32_t GetLogicalDrives(const VolumeTable& table) {
    std::uint32_t mask = 0;
    for (const Volume& volume : table.Volumes()) {
        if (volume.Letter >= 'a' && volume.Letter <= 'z') {
            mask |= 1u << (volume.Letter - 'a');
        }
    }
    return mask;
}

unsigned GetDriveTypeA(const VolumeTable& table, std::string_view root) {
    const Volume* volume = VolumeOfRoot(table, root);
    if (volume == nullptr) {
        return DRIVE_NO_ROOT_DIR;
    }
    switch (volume->Kind) {
        case DriveKind::Removable:
            return DRIVE_REMOVABLE;
        case DriveKind::Fixed:
            return DRIVE_FIXED;
        case DriveKind::Network:
            return DRIVE_REMOTE;
        case DriveKind::CdRom:
            return DRIVE_CDROM;
        case DriveKind::RamDisk:
            return DRIVE_RAMDISK;
    }
    return DRIVE_UNKNOWN;
}

bool GetVolumeInformationA(const VolumeTable& table, std::string_view root, std::string& label) {
    const Volume* volume = VolumeOfRoot(table, root);
    if (volume == nullptr) {
        return false;
    }
    label = volume->MountPoint;
    return true;
}

unsigned WNetGetConnectionA(const VolumeTable& table, std::string_view localName,
                            std::string& remoteName) {
    const Volume* volume = localName.size() == 2 ? VolumeOfRoot(table, localName) : nullptr;
    if (volume == nullptr) {
        return ERROR_BAD_DEVICE;
    }
    if (volume->Kind != DriveKind::Network || volume->Source.empty()) {
        return ERROR_NOT_CONNECTED;
    }
    remoteName = volume->Source;
    return NO_ERROR;
}

std::string GetCurrentDirectoryA(const VolumeTable& table, std::string_view directory) {
    if (directory.empty() || directory.front() != '/') {
        return {};
    }
    std::size_t best = 0;
    const Volume* holder = nullptr;
    for (const Volume& volume : table.Volumes()) {
        const std::size_t length = PrefixLength(directory, volume.MountPoint);
        if (length > best) {
            best = length;
            holder = &volume;
        }
    }
    for (const std::string& other : table.OtherMountPoints()) {
        const std::size_t length = PrefixLength(directory, other);
        if (length > best) {
            best = length;
            holder = nullptr;
        }
    }
    if (holder == nullptr || holder->Letter == 0) {
        return WithBackslashes(directory);
    }
    std::string_view rest = directory.substr(holder->MountPoint == "/" ? 0 : best);
    std::string result{holder->Letter, ':'};
    result += rest.empty() ? std::string("\\") : WithBackslashes(rest);
    return result;
}

}  // namespace zelk
