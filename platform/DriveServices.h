#pragma once
// The drive queries of the desktop, answered from a volume table: letters, types, labels,
// connections and the current directory as a drive path. None of them touches a volume, so a
// hung network mount cannot stall the caller.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/VolumeTable.h"

namespace zelk {

constexpr unsigned DRIVE_UNKNOWN = 0;
constexpr unsigned DRIVE_NO_ROOT_DIR = 1;
constexpr unsigned DRIVE_REMOVABLE = 2;
constexpr unsigned DRIVE_FIXED = 3;
constexpr unsigned DRIVE_REMOTE = 4;
constexpr unsigned DRIVE_CDROM = 5;
constexpr unsigned DRIVE_RAMDISK = 6;

constexpr unsigned NO_ERROR = 0;
constexpr unsigned ERROR_BAD_DEVICE = 1200;
constexpr unsigned ERROR_NOT_CONNECTED = 2250;

// Bit 0 for a, bit 25 for z.
std::uint32_t GetLogicalDrives(const VolumeTable& table);
// root: a letter, ":" and a backslash ("c:\"); the letter in either case.
unsigned GetDriveTypeA(const VolumeTable& table, std::string_view root);
// The label of a volume is its mount point. False for a root that names no volume.
bool GetVolumeInformationA(const VolumeTable& table, std::string_view root, std::string& label);
// localName: a letter and ":". The remote name of a network volume is its mount source.
unsigned WNetGetConnectionA(const VolumeTable& table, std::string_view localName,
                            std::string& remoteName);
// directory (absolute) as a drive path: the letter of the volume with the longest mount-point
// prefix, ":" and the rest with backslashes ("d:\src\zelk"). A directory on a mount that is no
// drive, or on a volume without a letter, gives the path beginning with a backslash instead.
std::string GetCurrentDirectoryA(const VolumeTable& table, std::string_view directory);

}  // namespace zelk
