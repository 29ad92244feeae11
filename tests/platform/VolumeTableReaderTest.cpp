// Guards which mounts become drives, their letters and kinds, on the mount tables of an Ubuntu
// desktop and of a container; that reading them asks nothing of a source and of a mount point
// only its cached type; and which volume holds a directory.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>

#include "platform/MountInfo.h"
#include "platform/SystemVolumeSource.h"
#include "platform/VolumeTableReader.h"
#include "tests/platform/MountTables.h"

namespace zelk {
namespace {

// "c fixed / /dev/sda2" per volume, in table order.
std::vector<std::string> Drives(const VolumeTable& table) {
    static const char* const kKinds[] = {"removable", "fixed", "network", "cdrom", "ram"};
    std::vector<std::string> lines;
    for (const Volume& v : table.Volumes()) {
        lines.push_back(std::string(1, v.Letter != 0 ? v.Letter : '-') + " " +
                        kKinds[static_cast<int>(v.Kind)] + " " + v.MountPoint + " " + v.Source);
    }
    return lines;
}

TEST(VolumeTableReader, DesktopGivesLettersOnlyToRealDrivesInTableOrder) {
    TextVolumeSource source = DesktopSource();
    const VolumeTable table = ReadVolumeTable(source);
    EXPECT_EQ(Drives(table), (std::vector<std::string>{
                                 "c fixed / /dev/sda2",
                                 "d ram /dev/shm tmpfs",
                                 "e fixed /home /dev/sda3",
                                 "f fixed /boot/efi /dev/sda1",
                                 "g ram /tmp tmpfs",
                                 "h removable /media/al/KINGSTON /dev/sdb1",
                                 "i network /mnt/nas nas.local:/export/media",
                                 "j network /mnt/share //fileserver/public",
                                 "k fixed /srv/projects /dev/sda3",
                                 "l fixed /mnt/Old Disk /dev/sdc1",
                                 "m cdrom /media/al/UBUNTU 24_04 /dev/sr0",
                             }));
    // Every other mount but the bound file is known as one that is no drive.
    EXPECT_EQ(table.OtherMountPoints().size(), ParseMountInfo(kDesktopMountInfo).size() - 12);

    // Only /sys and the mount table are read; only the bind mounts' points are looked at.
    std::set<std::string> looked;
    for (const std::string& call : source.Calls()) {
        if (call.starts_with("statx ")) {
            looked.insert(call.substr(6));
        } else {
            EXPECT_TRUE(call == "read /proc/self/mountinfo" ||
                        call.starts_with("read /sys/dev/block/"))
                << call;
        }
    }
    EXPECT_EQ(looked, (std::set<std::string>{"/srv/projects", "/etc/hosts"}));
}

TEST(VolumeTableReader, DirectoryBelongsToTheVolumeOfItsLongestMountPoint) {
    TextVolumeSource source = DesktopSource();
    const VolumeTable table = ReadVolumeTable(source);
    const std::vector<std::pair<const char*, char>> cases = {
        {"/", 'c'},
        {"/homework", 'c'},
        {"/home/al/src", 'e'},
        {"/srv/projects/zelk", 'k'},
        {"/mnt/Old Disk/x", 'l'},
        {"/dev/shm", 'd'},
        {"/proc/self", 0},
        {"/snap/firefox/4173/usr", 0},
        {"/etc/hosts", 'c'},
        {"relative", 0},
    };
    for (const auto& [path, letter] : cases) {
        const Volume* volume = table.VolumeOf(path);
        EXPECT_EQ(volume != nullptr ? volume->Letter : 0, letter) << path;
    }
}

TEST(VolumeTableReader, ContainerRootIsItsLayerAndTheLaterOfTwoMountsOnOnePointCounts) {
    TextVolumeSource source(kContainerMountInfo);
    source.SetNotDirectory("/etc/resolv.conf");
    EXPECT_EQ(Drives(ReadVolumeTable(source)),
              (std::vector<std::string>{"c fixed / overlay", "d fixed /work /dev/vda1",
                                        "e ram /dev/shm tmpfs"}));
    TextVolumeSource live("1 0 7:0 / / ro - squashfs /dev/loop0 ro\n");
    EXPECT_EQ(Drives(ReadVolumeTable(live)), std::vector<std::string>{"c fixed / /dev/loop0"});
}

TEST(VolumeTableReader, KindFollowsTheFileSystemThenTheDisksRemovableFlag) {
    struct Case {
        const char* Mount;  // device, file system and source of a mount on /x
        const char* FlagFile;
        DriveKind Kind;
    };
    const std::vector<Case> cases = {
        {"8:16 ext4 /dev/sdb", "/sys/dev/block/8:16/removable", DriveKind::Removable},
        {"8:33 exfat /dev/sdc1", "/sys/dev/block/8:33/../removable", DriveKind::Removable},
        {"8:49 ext4 /dev/sdd1", "", DriveKind::Fixed},
        {"0:44 btrfs /dev/sde1", "/sys/dev/block/0:44/removable", DriveKind::Fixed},
        {"8:16 iso9660 /dev/sdb", "/sys/dev/block/8:16/removable", DriveKind::CdRom},
        {"11:0 udf /dev/sr0", "", DriveKind::CdRom},
        {"0:50 ramfs none", "", DriveKind::RamDisk},
        {"0:51 9p hostshare", "", DriveKind::Network},
        {"0:52 fuse.sshfs al@box:/home/al", "", DriveKind::Network},
    };
    for (const Case& c : cases) {
        std::string mount = c.Mount;
        mount.insert(mount.find(' '), " / /x rw -");
        TextVolumeSource source("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n2 1 " + mount + " rw\n");
        source.SetFile(c.FlagFile, "1\n");
        const VolumeTable table = ReadVolumeTable(source);
        ASSERT_EQ(table.Volumes().size(), 2u) << c.Mount;
        EXPECT_EQ(table.Volumes()[1].Kind, c.Kind) << c.Mount;
    }
}

TEST(VolumeTableReader, VolumesPastZGetNoLetterAndLieOnNoDrive) {
    std::string text = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n";
    for (int i = 0; i < 25; ++i) {
        text += "9 1 0:50 / /mnt/v" + std::to_string(i) + " rw - tmpfs tmpfs rw\n";
    }
    TextVolumeSource source(text);
    const VolumeTable table = ReadVolumeTable(source);
    EXPECT_EQ(Drives(table)[23], "z ram /mnt/v22 tmpfs");
    EXPECT_EQ(Drives(table)[24], "- ram /mnt/v23 tmpfs");
    EXPECT_EQ(table.VolumeOf("/mnt/v24/a")->Letter, 0);
}

TEST(VolumeTableReader, RunningSystemHasItsRootAsCAndOnlyDirectoriesAsDrives) {
    SystemVolumeSource source;
    const VolumeTable table = ReadVolumeTable(source);
    ASSERT_NE(table.ByLetter('C'), nullptr);
    EXPECT_EQ(table.ByLetter('C')->MountPoint, "/");
    for (const Volume& volume : table.Volumes()) {
        struct stat st {};
        EXPECT_TRUE(lstat(volume.MountPoint.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
            << volume.MountPoint;
    }
    EXPECT_NE(table.VolumeOf(source.CurrentDirectory()), nullptr);
}

}  // namespace
}  // namespace zelk
