// Guards which mounts become drives, the letters they get and their kinds, on the mount tables
// of a desktop and of a container, and with more volumes than letters (whose directories are
// then spelled as on no drive).

#include <gtest/gtest.h>

#include "platform/DriveServices.h"
#include "platform/VolumeTableReader.h"
#include "tests/platform/MountTables.h"

namespace zelk {
namespace {

struct Expected {
    char Letter;
    DriveKind Kind;
    const char* MountPoint;
    const char* Source;
};

void ExpectVolumes(const VolumeTable& table, const std::vector<Expected>& expected) {
    ASSERT_EQ(table.Volumes().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Volume& v = table.Volumes()[i];
        SCOPED_TRACE(expected[i].MountPoint);
        EXPECT_EQ(v.Letter, expected[i].Letter);
        EXPECT_EQ(v.Kind, expected[i].Kind);
        EXPECT_EQ(v.MountPoint, expected[i].MountPoint);
        EXPECT_EQ(v.Source, expected[i].Source);
    }
}

TEST(VolumeTableReader, DesktopListsRealVolumesInTableOrderWithRootAsC) {
    TextVolumeSource source(kDesktopMountInfo);
    AddDesktopDisks(source);
    ExpectVolumes(ReadVolumeTable(source),
                  {
                      {'c', DriveKind::Fixed, "/", "/dev/sda2"},
                      {'d', DriveKind::RamDisk, "/dev/shm", "tmpfs"},
                      {'e', DriveKind::Fixed, "/home", "/dev/sda3"},
                      {'f', DriveKind::Fixed, "/boot/efi", "/dev/sda1"},
                      {'g', DriveKind::RamDisk, "/tmp", "tmpfs"},
                      {'h', DriveKind::Removable, "/media/al/KINGSTON", "/dev/sdb1"},
                      {'i', DriveKind::Network, "/mnt/nas", "nas.local:/export/media"},
                      {'j', DriveKind::Network, "/mnt/share", "//fileserver/public"},
                      {'k', DriveKind::Fixed, "/srv/projects", "/dev/sda3"},
                      {'l', DriveKind::Fixed, "/mnt/Old Disk", "/dev/sdc1"},
                      {'m', DriveKind::CdRom, "/media/al/UBUNTU 24_04", "/dev/sr0"},
                  });
}

TEST(VolumeTableReader, ContainerKeepsTheLaterOfTwoMountsOnOnePoint) {
    TextVolumeSource source(kContainerMountInfo);
    const VolumeTable table = ReadVolumeTable(source);
    ExpectVolumes(table, {
                             {'c', DriveKind::Fixed, "/", "overlay"},
                             {'d', DriveKind::Fixed, "/etc/resolv.conf", "/dev/vda1"},
                             {'e', DriveKind::Fixed, "/work", "/dev/vda1"},
                             {'f', DriveKind::RamDisk, "/dev/shm", "tmpfs"},
                         });
    EXPECT_EQ(table.ByLetter('F')->MountPoint, "/dev/shm");
}

TEST(VolumeTableReader, RemovableFlagComesFromTheDeviceOrTheDiskOfAPartition) {
    TextVolumeSource source(
        "1 0 8:16 / / rw - ext4 /dev/sdb rw\n"
        "2 1 8:33 / /stick rw - exfat /dev/sdc1 rw\n"
        "3 1 0:44 / /btrfs-stick rw - btrfs /dev/sdd1 rw\n"
        "4 1 0:45 / /btrfs-home rw - btrfs /dev/nvme0n1p3 rw\n"
        "5 1 8:49 / /no-sys rw - ext4 /dev/sde1 rw\n");
    source.SetRemovable(8, 16, true);
    source.SetFile("/sys/dev/block/8:33/../removable", "1\n");
    source.SetBlockDevice("/dev/sdd1", 8, 49);  // btrfs reports an anonymous device
    source.SetFile("/sys/dev/block/8:49/../removable", "1\n");
    source.SetBlockDevice("/dev/nvme0n1p3", 259, 3);
    source.SetFile("/sys/dev/block/259:3/../removable", "0\n");
    const VolumeTable table = ReadVolumeTable(source);
    ASSERT_EQ(table.Volumes().size(), 5u);
    EXPECT_EQ(table.Volumes()[0].Kind, DriveKind::Removable);
    EXPECT_EQ(table.Volumes()[1].Kind, DriveKind::Removable);
    EXPECT_EQ(table.Volumes()[2].Kind, DriveKind::Removable);
    EXPECT_EQ(table.Volumes()[3].Kind, DriveKind::Fixed);
    EXPECT_EQ(table.Volumes()[4].Kind, DriveKind::Removable);  // same disk as the btrfs stick
}

TEST(VolumeTableReader, KindsFollowTheFileSystemBeforeTheRemovableFlag) {
    TextVolumeSource source(
        "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "2 1 8:16 / /run/media/al/LIVE ro - iso9660 /dev/sdb ro\n"
        "3 1 0:50 / /mnt/ram rw - ramfs none rw\n"
        "4 1 0:51 / /mnt/host rw - 9p hostshare rw\n"
        "5 1 0:52 / /mnt/ssh rw - fuse.sshfs al@box:/home/al rw\n"
        "6 1 11:0 / /mnt/bd ro - udf /dev/sr0 ro\n"
        "7 1 0:53 / /run/user/1000/doc rw - fuse.portal portal rw\n"
        "8 1 0:54 / /sysroot-not-sys rw - xfs /dev/sdc1 rw\n");
    source.SetRemovable(8, 16, true);
    const VolumeTable table = ReadVolumeTable(source);
    std::vector<DriveKind> kinds;
    for (const Volume& v : table.Volumes()) {
        kinds.push_back(v.Kind);
    }
    EXPECT_EQ(kinds, (std::vector<DriveKind>{DriveKind::Fixed, DriveKind::CdRom, DriveKind::RamDisk,
                                             DriveKind::Network, DriveKind::Network,
                                             DriveKind::CdRom, DriveKind::Fixed}));
    EXPECT_EQ(table.Volumes()[6].MountPoint, "/sysroot-not-sys");
}

TEST(VolumeTableReader, VolumesPastZGetNoLetter) {
    std::string text = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n";
    for (int i = 0; i < 30; ++i) {
        text += "9 1 0:" + std::to_string(60 + i) + " / /mnt/v" + std::to_string(i) +
                " rw - tmpfs tmpfs rw\n";
    }
    TextVolumeSource source(text);
    const VolumeTable table = ReadVolumeTable(source);
    ASSERT_EQ(table.Volumes().size(), 31u);
    EXPECT_EQ(table.Volumes()[23].Letter, 'z');
    EXPECT_EQ(table.Volumes()[24].Letter, 0);
    EXPECT_EQ(table.Volumes()[30].Letter, 0);
    EXPECT_EQ(table.ByLetter('z')->MountPoint, "/mnt/v22");
    // A directory on a volume without a letter is spelled as on no drive.
    EXPECT_EQ(GetCurrentDirectoryA(table, "/mnt/v22/a"), "z:\\a");
    EXPECT_EQ(GetCurrentDirectoryA(table, "/mnt/v23/a"), "\\mnt\\v23\\a");
}

TEST(VolumeTableReader, UnreadableMountTableGivesAnEmptyTable) {
    struct Unreadable : TextVolumeSource {
        Unreadable() : TextVolumeSource("") {}
        std::optional<std::string> ReadSystemFile(const std::string&) override {
            return std::nullopt;
        }
    } source;
    EXPECT_TRUE(ReadVolumeTable(source).Volumes().empty());
}

}  // namespace
}  // namespace zelk
