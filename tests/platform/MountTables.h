#pragma once
// Mount tables as the kernel writes them on machines we meet: an Ubuntu desktop and a container.

#include <string>

#include "platform/TextVolumeSource.h"

namespace zelk {

// / on ext4, /home, /boot/efi, /tmp, a dozen snaps, two Docker containers, a rootless container
// layer, an erofs and a squashfs image, a bind-mounted directory and file, a USB stick, an NFS and
// a CIFS share, a blank in a mount point, a DVD, automount and the usual pseudo file systems.
inline const std::string kDesktopMountInfo =
    "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro\n"
    "23 22 0:21 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw\n"
    "24 22 0:22 / /sys rw,nosuid,nodev,noexec,relatime shared:2 - sysfs sysfs rw\n"
    "25 22 0:5 / /dev rw,nosuid,relatime shared:8 - devtmpfs udev rw,size=8135000k,mode=755\n"
    "27 25 0:24 / /dev/shm rw,nosuid,nodev shared:10 - tmpfs tmpfs rw,inode64\n"
    "28 22 0:25 / /run rw,nosuid,nodev,noexec,relatime shared:11 - tmpfs tmpfs rw,size=1630000k\n"
    "30 24 0:27 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:4 - cgroup2 cgroup2 rw\n"
    "34 23 0:31 / /proc/sys/fs/binfmt_misc rw,relatime shared:14 - autofs systemd-1 rw,fd=29\n"
    "35 22 0:32 / /net rw,relatime shared:15 - autofs /etc/auto.net rw,fd=7,direct\n"
    "41 22 8:3 / /home rw,relatime shared:21 - ext4 /dev/sda3 rw\n"
    "42 22 8:1 / /boot/efi rw,relatime shared:22 - vfat /dev/sda1 rw,fmask=0077,dmask=0077\n"
    "43 22 0:35 / /tmp rw,nosuid,nodev shared:23 - tmpfs tmpfs rw,inode64\n"
    "60 22 7:0 / /snap/bare/5 ro,nodev,relatime shared:30 - squashfs /dev/loop0 ro\n"
    "61 22 7:1 / /snap/core22/1380 ro,nodev,relatime shared:31 - squashfs /dev/loop1 ro\n"
    "62 22 7:2 / /snap/core24/423 ro,nodev,relatime shared:32 - squashfs /dev/loop2 ro\n"
    "63 22 7:3 / /snap/firefox/4173 ro,nodev,relatime shared:33 - squashfs /dev/loop3 ro\n"
    "64 22 7:4 / /snap/gnome-42-2204/176 ro,nodev,relatime shared:34 - squashfs /dev/loop4 ro\n"
    "65 22 7:5 / /snap/gtk-common-themes/1535 ro,nodev,relatime shared:35 - squashfs /dev/loop5 "
    "ro\n"
    "66 22 7:6 / /snap/snapd/21465 ro,nodev,relatime shared:36 - squashfs /dev/loop6 ro\n"
    "67 22 7:7 / /snap/snap-store/1113 ro,nodev,relatime shared:37 - squashfs /dev/loop7 ro\n"
    "68 22 7:8 / /snap/firmware-updater/127 ro,nodev,relatime shared:38 - squashfs /dev/loop8 ro\n"
    "69 22 7:9 / /snap/thunderbird/470 ro,nodev,relatime shared:39 - squashfs /dev/loop9 ro\n"
    "70 22 7:10 / /snap/code/159 ro,nodev,relatime shared:40 - squashfs /dev/loop10 ro\n"
    "71 22 7:11 / /snap/snapd-desktop-integration/157 ro,nodev,relatime shared:41 - squashfs "
    "/dev/loop11 ro\n"
    "72 28 0:4 mnt:[4026532583] /run/snapd/ns/firefox.mnt rw - nsfs nsfs rw\n"
    "44 28 0:36 / /run/user/1000 rw,nosuid,nodev,relatime shared:24 - tmpfs tmpfs rw,mode=700\n"
    "45 44 0:37 / /run/user/1000/gvfs rw,nosuid,nodev,relatime shared:25 - fuse.gvfsd-fuse "
    "gvfsd-fuse rw,user_id=1000,group_id=1000\n"
    "46 22 8:17 / /media/al/KINGSTON rw,nosuid,nodev,relatime shared:26 - vfat /dev/sdb1 "
    "rw,uid=1000,gid=1000\n"
    "47 22 0:38 / /mnt/nas rw,relatime shared:27 - nfs4 nas.local:/export/media "
    "rw,vers=4.2,addr=192.168.1.20\n"
    "48 22 0:39 / /mnt/share rw,relatime shared:28 - cifs //fileserver/public rw,vers=3.1.1\n"
    "80 22 0:60 / /var/lib/docker/overlay2/3f1c9e/merged rw,relatime - overlay overlay "
    "rw,lowerdir=/var/lib/docker/overlay2/l/AB:/var/lib/docker/overlay2/l/CD\n"
    "81 22 0:61 / /var/lib/docker/containers/3f1c9e/mounts/shm rw,nosuid,nodev - tmpfs shm "
    "rw,size=65536k\n"
    "82 28 0:4 net:[4026532701] /run/docker/netns/1b2c3d rw - nsfs nsfs rw\n"
    "84 41 0:63 / /home/al/.local/share/containers/storage/overlay/7e1f/merged rw - "
    "fuse.fuse-overlayfs fuse-overlayfs rw,user_id=1000\n"
    "85 22 7:12 / /opt/tools ro,relatime - erofs /dev/loop12 ro\n"
    "86 22 7:13 / /mnt/rootfs-image ro,relatime - squashfs /dev/loop13 ro\n"
    "49 41 8:3 /al/projects /srv/projects rw,relatime shared:21 - ext4 /dev/sda3 rw\n"
    "87 41 8:3 /al/dotfiles/hosts /etc/hosts rw,relatime shared:21 - ext4 /dev/sda3 rw\n"
    "50 22 8:33 / /mnt/Old\\040Disk rw,relatime shared:29 - ext4 /dev/sdc1 rw\n"
    "51 22 11:0 / /media/al/UBUNTU\\04024_04 ro,nosuid,nodev,relatime shared:30 - iso9660 "
    "/dev/sr0 ro,nojoliet\n";

// The disks as /sys shows them (partitions carry no flag, their disk does), and the bind-mounted
// file.
inline TextVolumeSource DesktopSource(const std::string& mountInfo = kDesktopMountInfo) {
    TextVolumeSource source(mountInfo);
    for (const char* partition : {"8:1", "8:2", "8:3", "8:33"}) {
        source.SetFile(std::string("/sys/dev/block/") + partition + "/../removable", "0\n");
    }
    source.SetFile("/sys/dev/block/8:17/../removable", "1\n");
    source.SetFile("/sys/dev/block/11:0/removable", "1\n");
    source.SetNotDirectory("/etc/hosts");
    return source;
}

// A container: the root on overlay, a file and a directory bound in from the host, /dev/shm
// mounted twice.
inline const std::string kContainerMountInfo =
    "600 550 0:50 / / rw,relatime master:300 - overlay overlay "
    "rw,lowerdir=/var/lib/docker/overlay2/l/A:/var/lib/docker/overlay2/l/B\n"
    "601 600 0:52 / /proc rw,nosuid,nodev,noexec,relatime - proc proc rw\n"
    "602 600 0:53 / /dev rw,nosuid - tmpfs tmpfs rw,size=65536k,mode=755\n"
    "607 602 0:56 / /dev/shm rw,nosuid,nodev,noexec,relatime - tmpfs shm rw,size=65536k\n"
    "608 600 254:1 /var/lib/docker/containers/abc/resolv.conf /etc/resolv.conf rw,relatime - "
    "ext4 /dev/vda1 rw\n"
    "609 600 254:1 /home/dev/work /work rw,relatime - ext4 /dev/vda1 rw\n"
    "611 602 0:57 / /dev/shm rw,relatime - tmpfs tmpfs rw\n";

}  // namespace zelk
