#pragma once
// A chooser over a mount table given as text, with fixed colours so drawn pixels can be read.

#include <QPalette>
#include <memory>
#include <string>

#include "drives/TDriveComboBox.h"
#include "platform/TextVolumeSource.h"

namespace zelk {

// c: fixed /, d: fixed /home, e: removable stick, f: NFS share, g: DVD, h: tmpfs, and /proc.
inline const std::string kChooserMountInfo =
    "21 1 8:2 / / rw,relatime - ext4 /dev/sda2 rw\n"
    "22 21 0:21 / /proc rw - proc proc rw\n"
    "23 21 8:3 / /home rw,relatime - ext4 /dev/sda3 rw\n"
    "24 21 8:17 / /media/al/STICK rw - vfat /dev/sdb1 rw\n"
    "25 21 0:40 / /mnt/NAS rw - nfs4 NAS.local:/Export rw\n"
    "26 21 11:0 / /media/al/DVD ro - iso9660 /dev/sr0 ro\n"
    "27 21 0:41 / /tmp rw - tmpfs tmpfs rw\n";

inline std::shared_ptr<TextVolumeSource> ChooserSource(const std::string& mountInfo,
                                                       const std::string& cwd = "/home/al") {
    auto source = std::make_shared<TextVolumeSource>(mountInfo, cwd);
    source->SetFile("/sys/dev/block/8:17/../removable", "1\n");
    return source;
}

// Count of n tmpfs volumes after the root: n + 1 drives.
inline std::string MountInfoWithDrives(int drives) {
    std::string text = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n";
    for (int i = 1; i < drives; ++i) {
        text += "2 1 0:50 / /mnt/v" + std::to_string(i) + " rw - tmpfs tmpfs rw\n";
    }
    return text;
}

inline QPalette FixedPalette() {
    QPalette palette;
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Highlight, QColor(0, 0, 128));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    return palette;
}

}  // namespace zelk
