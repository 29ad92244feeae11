#pragma once
// Mount tables as the kernel writes them on machines we meet: a desktop and a container.

#include <string>

#include "platform/TextVolumeSource.h"

namespace zelk {

// / on ext4, /home, /boot/efi on vfat, a USB stick under /media, an NFS and a CIFS share, /tmp on
// tmpfs, tmpfs and cgroup mounts under /run and /sys, a bind mount, a blank in a mount point, a
// DVD, and the usual pseudo file systems.
inline const std::string kDesktopMountInfo =
    "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro\n"
    "23 22 0:21 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw\n"
    "24 22 0:22 / /sys rw,nosuid,nodev,noexec,relatime shared:2 - sysfs sysfs rw\n"
    "25 22 0:5 / /dev rw,nosuid,relatime shared:8 - devtmpfs udev rw,size=8135000k,mode=755\n"
    "26 25 0:23 / /dev/pts rw,nosuid,noexec,relatime shared:9 - devpts devpts rw,gid=5,mode=620\n"
    "27 25 0:24 / /dev/shm rw,nosuid,nodev shared:10 - tmpfs tmpfs rw,inode64\n"
    "28 22 0:25 / /run rw,nosuid,nodev,noexec,relatime shared:11 - tmpfs tmpfs rw,size=1630000k\n"
    "29 28 0:26 / /run/lock rw,nosuid,nodev,noexec,relatime shared:13 - tmpfs tmpfs rw,size=5120k\n"
    "30 24 0:27 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:4 - cgroup2 cgroup2 rw\n"
    "31 24 0:28 / /sys/fs/pstore rw,nosuid,nodev,noexec,relatime shared:5 - pstore pstore rw\n"
    "32 24 0:29 / /sys/firmware/efi/efivars rw,nosuid,nodev,noexec,relatime shared:6 - efivarfs "
    "efivarfs rw\n"
    "33 24 0:30 / /sys/fs/bpf rw,nosuid,nodev,noexec,relatime shared:7 - bpf bpf rw,mode=700\n"
    "34 23 0:31 / /proc/sys/fs/binfmt_misc rw,relatime shared:14 - autofs systemd-1 rw,fd=29\n"
    "35 25 0:20 / /dev/mqueue rw,nosuid,nodev,noexec,relatime shared:15 - mqueue mqueue rw\n"
    "36 25 0:32 / /dev/hugepages rw,relatime shared:16 - hugetlbfs hugetlbfs rw,pagesize=2M\n"
    "37 24 0:7 / /sys/kernel/debug rw,nosuid,nodev,noexec,relatime shared:17 - debugfs debugfs rw\n"
    "38 24 0:12 / /sys/kernel/tracing rw,nosuid,nodev,noexec,relatime shared:18 - tracefs tracefs "
    "rw\n"
    "39 24 0:34 / /sys/fs/fuse/connections rw,nosuid,nodev,noexec,relatime shared:20 - fusectl "
    "fusectl rw\n"
    "41 22 8:3 / /home rw,relatime shared:21 - ext4 /dev/sda3 rw\n"
    "42 22 8:1 / /boot/efi rw,relatime shared:22 - vfat /dev/sda1 rw,fmask=0077,dmask=0077\n"
    "43 22 0:35 / /tmp rw,nosuid,nodev shared:23 - tmpfs tmpfs rw,inode64\n"
    "44 28 0:36 / /run/user/1000 rw,nosuid,nodev,relatime shared:24 - tmpfs tmpfs "
    "rw,size=1630000k,mode=700,uid=1000,gid=1000\n"
    "45 44 0:37 / /run/user/1000/gvfs rw,nosuid,nodev,relatime shared:25 - fuse.gvfsd-fuse "
    "gvfsd-fuse rw,user_id=1000,group_id=1000\n"
    "46 22 8:17 / /media/al/KINGSTON rw,nosuid,nodev,relatime shared:26 - vfat /dev/sdb1 "
    "rw,uid=1000,gid=1000\n"
    "47 22 0:38 / /mnt/nas rw,relatime shared:27 - nfs4 nas.local:/export/media "
    "rw,vers=4.2,addr=192.168.1.20\n"
    "48 22 0:39 / /mnt/share rw,relatime shared:28 - cifs //fileserver/public rw,vers=3.1.1\n"
    "49 41 8:3 /al/projects /srv/projects rw,relatime shared:21 - ext4 /dev/sda3 rw\n"
    "50 22 8:33 / /mnt/Old\\040Disk rw,relatime shared:29 - ext4 /dev/sdc1 rw\n"
    "51 22 11:0 / /media/al/UBUNTU\\04024_04 ro,nosuid,nodev,relatime shared:30 - iso9660 "
    "/dev/sr0 ro,nojoliet\n";

// The disks as /sys shows them: partitions carry no flag, their disk does.
inline void AddDesktopDisks(TextVolumeSource& source) {
    for (const char* partition : {"8:1", "8:2", "8:3"}) {
        source.SetFile(std::string("/sys/dev/block/") + partition + "/../removable", "0\n");
    }
    source.SetFile("/sys/dev/block/8:17/../removable", "1\n");
    source.SetFile("/sys/dev/block/8:33/../removable", "0\n");
    source.SetRemovable(11, 0, true);
}

// A container: the root on overlay, files and a directory bound in from the host, /dev/shm
// mounted twice.
inline const std::string kContainerMountInfo =
    "600 550 0:50 / / rw,relatime master:300 - overlay overlay "
    "rw,lowerdir=/var/lib/docker/overlay2/l/A:/var/lib/docker/overlay2/l/B\n"
    "601 600 0:52 / /proc rw,nosuid,nodev,noexec,relatime - proc proc rw\n"
    "602 600 0:53 / /dev rw,nosuid - tmpfs tmpfs rw,size=65536k,mode=755\n"
    "603 602 0:54 / /dev/pts rw,nosuid,noexec,relatime - devpts devpts rw,gid=5,mode=620\n"
    "604 600 0:55 / /sys ro,nosuid,nodev,noexec,relatime - sysfs sysfs ro\n"
    "605 604 0:29 / /sys/fs/cgroup ro,nosuid,nodev,noexec,relatime - cgroup2 cgroup rw\n"
    "606 602 0:51 / /dev/mqueue rw,nosuid,nodev,noexec,relatime - mqueue mqueue rw\n"
    "607 602 0:56 / /dev/shm rw,nosuid,nodev,noexec,relatime - tmpfs shm rw,size=65536k\n"
    "608 600 254:1 /var/lib/docker/containers/abc/resolv.conf /etc/resolv.conf rw,relatime - "
    "ext4 /dev/vda1 rw\n"
    "609 600 254:1 /home/dev/work /work rw,relatime - ext4 /dev/vda1 rw\n"
    "610 601 0:52 /bus /proc/bus ro,nosuid,nodev,noexec,relatime - proc proc rw\n"
    "611 602 0:57 / /dev/shm rw,relatime - tmpfs tmpfs rw\n";

}  // namespace zelk
