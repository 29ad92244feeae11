// Guards the reading of the kernel's mount table (every octal escape decoded, optional fields
// skipped, a malformed line left out without harming the lines around it); which mounts become
// drives, their letters and kinds, on the mount tables of an Ubuntu desktop and of a container;
// that reading them asks nothing of a source and of a mount point only its cached type; which
// volume holds a directory; and that the walk never leaves its volume: a sub-directory that is
// another volume's mount point only its device tells is listed as an out-of-walk directory and
// never opened.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>

#include "platform/MountInfo.h"
#include "platform/PosixListing.h"
#include "platform/SystemVolumeSource.h"
#include "platform/TextVolumeSource.h"
#include "platform/VolumeTableReader.h"

namespace zelk {
namespace {

TEST(MountInfo, EveryOctalEscapeIsDecodedAndNothingElse) {
    // Any byte, also halves of a UTF-8 character; nothing past one byte; no path holds a NUL.
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {R"(/mnt/My\040Disk)", "/mnt/My Disk"}, {R"(/a\011b\012c\134d)", "/a\tb\nc\\d"},
        {R"(/\101\303\244)", "/A\xC3\xA4"}, {R"(/end\134)", "/end\\"}, {R"(/a\04)", R"(/a\04)"},
        {R"(/a\089)", R"(/a\089)"}, {R"(/a\400)", R"(/a\400)"}, {R"(/a\)", R"(/a\)"},
        {R"(/a\000b)", "(refused)"}};
    // clang-format on
    for (const auto& [field, expected] : cases) {
        std::string out;
        EXPECT_EQ(DecodeMountEscapes(field, out) ? out : "(refused)", expected) << field;
    }
}

TEST(MountInfo, FieldsAreTakenAroundOptionalFieldsAndMalformedLinesLeftOut) {
    const auto mounts = ParseMountInfo(
        "\n"
        "garbage\n"
        "1 2 8:1 / /no-separator rw shared:1 ext4 /dev/sda1 rw\n"
        "x 2 8:1 / /bad-id rw - ext4 /dev/sda1 rw\n"
        "1 2 81 / /bad-device rw - ext4 /dev/sda1 rw\n"
        "1 2 8:99999999999 / /overflow rw - ext4 /dev/sda1 rw\n"
        "1 2 8:1 / relative rw - ext4 /dev/sda1 rw\n"
        "1 2 8:1 / /nul\\000byte rw - ext4 /dev/sda1 rw\n"
        "1 2 8:1 / /cut-short rw - ext4\n"
        "36 35 98:7 /mnt1 /mnt/two\\040words rw,noatime master:1 shared:7 propagate_from:2 - "
        "ext3 /dev/root rw,errors=continue\n"
        "1 2 0:40 / /no-newline-at-end rw - nfs4 server:/export rw");
    ASSERT_EQ(mounts.size(), 2u);
    const MountEntry& m = mounts[0];
    EXPECT_EQ(std::to_string(m.Major) + ":" + std::to_string(m.Minor) + " " + m.Root + " " +
                  m.MountPoint + " " + m.FsType + " " + m.Source,
              "98:7 /mnt1 /mnt/two words ext3 /dev/root");
    EXPECT_EQ(mounts[1].MountPoint + " " + mounts[1].Source, "/no-newline-at-end server:/export");
}

// Run under the sanitizers, where a read past a field's end fails.
TEST(MountInfo, ArbitraryBytesNeverCrash) {
    std::string noise;
    for (int i = 0; i < 4096; ++i) {
        noise += i % 97 == 0 ? std::string(" - ") : std::string(1, char((i * 7919 + 13) % 256));
    }
    ParseMountInfo(noise);
}

// / on ext4, /home, /boot/efi, /tmp, /run, a snap, a Docker container's shm, a rootless
// container layer, a squashfs image, a bind-mounted directory and file, a USB stick, an NFS and
// a CIFS share, a blank in a mount point, a DVD and pseudo file systems.
const std::string kDesktopMountInfo =
    "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro\n"
    "23 22 0:21 / /proc rw,nosuid shared:12 - proc proc rw\n"
    "24 22 0:22 / /sys rw,nosuid shared:2 - sysfs sysfs rw\n"
    "25 22 0:5 / /dev rw,nosuid shared:8 - devtmpfs udev rw,mode=755\n"
    "27 25 0:24 / /dev/shm rw,nosuid shared:10 - tmpfs tmpfs rw,inode64\n"
    "28 22 0:25 / /run rw,nosuid shared:11 - tmpfs tmpfs rw,size=1630000k\n"
    "41 22 8:3 / /home rw,relatime shared:21 - ext4 /dev/sda3 rw\n"
    "42 22 8:1 / /boot/efi rw shared:22 - vfat /dev/sda1 rw,fmask=0077\n"
    "43 22 0:35 / /tmp rw,nosuid shared:23 - tmpfs tmpfs rw,inode64\n"
    "60 22 7:0 / /snap/bare/5 ro shared:30 - squashfs /dev/loop0 ro\n"
    "46 22 8:17 / /media/al/KINGSTON rw shared:26 - vfat /dev/sdb1 rw,uid=1000\n"
    "47 22 0:38 / /mnt/nas rw shared:27 - nfs4 nas.local:/export/media rw,vers=4.2\n"
    "48 22 0:39 / /mnt/share rw shared:28 - cifs //fileserver/public rw,vers=3.1.1\n"
    "81 22 0:61 / /var/lib/docker/containers/3f1c9e/mounts/shm rw - tmpfs shm rw\n"
    "84 41 0:63 / /home/al/.local/share/containers/storage/overlay/7e1f/merged rw - "
    "fuse.fuse-overlayfs fuse-overlayfs rw\n"
    "86 22 7:13 / /mnt/rootfs-image ro,relatime - squashfs /dev/loop13 ro\n"
    "49 41 8:3 /al/projects /srv/projects rw shared:21 - ext4 /dev/sda3 rw\n"
    "87 41 8:3 /al/dotfiles/hosts /etc/hosts rw shared:21 - ext4 /dev/sda3 rw\n"
    "50 22 8:33 / /mnt/Old\\040Disk rw,relatime shared:29 - ext4 /dev/sdc1 rw\n"
    "51 22 11:0 / /media/al/UBUNTU\\04024_04 ro shared:30 - iso9660 /dev/sr0 ro\n";

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

TEST(VolumeTableReader, DesktopGivesLettersOnlyToRealDrivesAndEachDirectoryItsVolume) {
    // The disks as /sys shows them (partitions carry no flag, their disk does), and the
    // bind-mounted file.
    TextVolumeSource source(kDesktopMountInfo);
    for (const char* partition : {"8:1", "8:2", "8:3", "8:33"}) {
        source.SetFile(std::string("/sys/dev/block/") + partition + "/../removable", "0\n");
    }
    source.SetFile("/sys/dev/block/8:17/../removable", "1\n");
    source.SetFile("/sys/dev/block/11:0/removable", "1\n");
    source.SetNotDirectory("/etc/hosts");
    const VolumeTable table = ReadVolumeTable(source);
    // clang-format off
    EXPECT_EQ(Drives(table), (std::vector<std::string>{
        "c fixed / /dev/sda2", "d ram /dev/shm tmpfs", "e fixed /home /dev/sda3",
        "f fixed /boot/efi /dev/sda1", "g ram /tmp tmpfs", "h removable /media/al/KINGSTON /dev/sdb1",
        "i network /mnt/nas nas.local:/export/media", "j network /mnt/share //fileserver/public",
        "k fixed /srv/projects /dev/sda3", "l fixed /mnt/Old Disk /dev/sdc1",
        "m cdrom /media/al/UBUNTU 24_04 /dev/sr0"}));
    // clang-format on
    // Every other mount but the bound file is known as one that is no drive.
    EXPECT_EQ(table.OtherMountPoints().size(), ParseMountInfo(kDesktopMountInfo).size() - 12);

    // Only /sys and the mount table are read; only the bind mounts' points are looked at.
    std::set<std::string> calls;
    for (const std::string& call : source.Calls()) {
        calls.insert(call.starts_with("read /sys/dev/block/") ? "read /sys" : call);
    }
    EXPECT_EQ(calls, (std::set<std::string>{"read /proc/self/mountinfo", "read /sys",
                                            "statx /srv/projects", "statx /etc/hosts"}));

    // A directory lies on the volume of its longest mount point.
    for (const std::string_view c :
         {"c /", "c /homework", "e /home/al/src", "k /srv/projects/zelk", "l /mnt/Old Disk/x",
          "d /dev/shm", "- /proc/self", "- /snap/bare/5/usr", "c /etc/hosts", "- relative"}) {
        const Volume* volume = table.VolumeOf(c.substr(2));
        EXPECT_EQ(volume != nullptr && volume->Letter != 0 ? volume->Letter : '-', c[0]) << c;
    }
}

TEST(VolumeTableReader, ContainerRootIsItsLayerAndTheLaterOfTwoMountsOnOnePointCounts) {
    // The root on overlay, a file and a directory bound in from the host, /dev/shm mounted twice.
    TextVolumeSource source(
        "600 550 0:50 / / rw,relatime master:300 - overlay overlay rw,lowerdir=/l/A:/l/B\n"
        "601 600 0:52 / /proc rw,nosuid - proc proc rw\n"
        "602 600 0:53 / /dev rw,nosuid - tmpfs tmpfs rw,size=65536k,mode=755\n"
        "607 602 0:56 / /dev/shm rw,nosuid - tmpfs shm rw,size=65536k\n"
        "608 600 254:1 /containers/abc/resolv.conf /etc/resolv.conf rw - ext4 /dev/vda1 rw\n"
        "609 600 254:1 /home/dev/work /work rw,relatime - ext4 /dev/vda1 rw\n"
        "611 602 0:57 / /dev/shm rw,relatime - tmpfs tmpfs rw\n");
    source.SetNotDirectory("/etc/resolv.conf");
    EXPECT_EQ(Drives(ReadVolumeTable(source)),
              (std::vector<std::string>{"c fixed / overlay", "d fixed /work /dev/vda1",
                                        "e ram /dev/shm tmpfs"}));
    TextVolumeSource live("1 0 7:0 / / ro - squashfs /dev/loop0 ro\n");
    EXPECT_EQ(Drives(ReadVolumeTable(live)), std::vector<std::string>{"c fixed / /dev/loop0"});
}

TEST(VolumeTableReader, KindFollowsTheFileSystemThenTheDisksRemovableFlag) {
    // Device, file system and source of a mount on /x; the removable flag file set: a flag on
    // the disk itself, none at all, a device that is no block device (major 0), a network file
    // system by its FUSE subtype (the desktop's DVD shows the file system before the flag).
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"8:16 ext4 /dev/sdb", "/sys/dev/block/8:16/removable", "d removable /x /dev/sdb"},
        {"8:49 ext4 /dev/sdd1", "", "d fixed /x /dev/sdd1"},
        {"0:44 btrfs /dev/sde1", "/sys/dev/block/0:44/removable", "d fixed /x /dev/sde1"},
        {"0:52 fuse.sshfs al@box:/home/al", "", "d network /x al@box:/home/al"}};
    for (const auto& [line, flagFile, drive] : cases) {
        std::string mount = line;
        mount.insert(mount.find(' '), " / /x rw -");
        TextVolumeSource source("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n2 1 " + mount + " rw\n");
        source.SetFile(flagFile, "1\n");
        EXPECT_EQ(Drives(ReadVolumeTable(source)).back(), drive) << line;
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
    EXPECT_EQ(table.ByLetter('C') != nullptr ? table.ByLetter('C')->MountPoint : "", "/");
    for (const Volume& volume : table.Volumes()) {
        struct stat st {};
        EXPECT_TRUE(lstat(volume.MountPoint.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
            << volume.MountPoint;
    }
    EXPECT_NE(table.VolumeOf(source.CurrentDirectory()), nullptr);
}

// Where the mount table names a mount point, the scan tests see it fenced; here only its device
// tells.
TEST(PosixListing, MountPointOfAnotherVolumeIsNotOpened) {
    struct stat dev {};
    struct stat shm {};
    if (stat("/dev", &dev) != 0 || stat("/dev/shm", &shm) != 0 || dev.st_dev == shm.st_dev) {
        GTEST_SKIP() << "/dev/shm is not a mount point here";
    }
    auto root = PosixListing::OpenRoot("/dev", {});
    ASSERT_NE(root, nullptr);
    FindData entry;
    while (root->Next(entry) && entry.Name != "shm") {
    }
    ASSERT_EQ(entry.Name, "shm");
    EXPECT_EQ(entry.Type, EntryType::Directory);
    EXPECT_TRUE(entry.OtherVolumeOrLoop);
    EXPECT_EQ(PosixListing::OpenChild(*root, entry), nullptr);
}

}  // namespace
}  // namespace zelk
