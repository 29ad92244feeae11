// Guards the folder entries of the drive chooser: a folder listed first as "a: [folder]" and
// chosen, the other entries as they were, the chooser entry last, which asks for a folder and
// leaves the choice alone; and the list read again at each opening, with a drive mounted since
// shown, one unmounted gone, the chosen drive followed by its mount point when letters move,
// and the folder kept.

#include <gtest/gtest.h>

#include <string>

#include "drives/TDriveComboBox.h"
#include "platform/TextVolumeSource.h"
#include "platform/VolumeTable.h"
#include "platform/VolumeTableReader.h"

namespace zelk {
namespace {

const std::string kMounts =
    "21 1 8:2 / / rw - ext4 /dev/sda2 rw\n"
    "23 21 8:3 / /home rw - ext4 /dev/sda3 rw\n"
    "25 21 0:40 / /mnt/NAS rw - nfs4 NAS.local:/Export rw\n"
    "27 21 0:41 / /tmp rw - tmpfs tmpfs rw\n";

std::vector<std::string> Texts(const TDriveComboBox& combo) {
    std::vector<std::string> texts;
    for (int i = 0; i < combo.count(); ++i) {
        texts.push_back(combo.itemText(i).toStdString());
    }
    return texts;
}

TEST(FolderEntry, ListedFirstAndChosenWithTheOtherEntriesAsTheyWereAndTheChooserLast) {
    auto source = std::make_shared<TextVolumeSource>(kMounts, "/home/al");
    TDriveComboBox combo(nullptr, source);
    combo.show();
    combo.SelectDrive('e');
    const std::vector<std::string> before = Texts(combo);
    EXPECT_EQ(before.back(), "フォルダを選択…");
    int asked = 0;
    combo.OnChooseFolder = [&asked] { ++asked; };

    combo.SetFolder("/mnt/NAS/a b");
    std::vector<std::string> after = Texts(combo);
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(after.front(), "a: [/mnt/NAS/a b]");  // the label, whatever drive holds it
    after.erase(after.begin());
    EXPECT_EQ(after, before);
    EXPECT_EQ(combo.SelectedDrive(), 'a');
    EXPECT_EQ(combo.SelectedEntry(), 0);
    EXPECT_EQ(InstalledVolumeTable()->ByLetter('a')->MountPoint, "/mnt/NAS/a b");

    emit combo.activated(combo.FolderChooserEntry());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(combo.SelectedDrive(), 'a');
    EXPECT_EQ(combo.currentIndex(), 0);
    InstallVolumeTable(nullptr);
}

TEST(FolderEntry, OpeningRereadsTheDrivesFollowsTheChosenMountPointAndKeepsTheFolder) {
    auto source = std::make_shared<TextVolumeSource>(kMounts, "/home/al");
    TDriveComboBox combo(nullptr, source);
    combo.show();
    combo.SelectDrive('f');  // /tmp

    // /home unmounted, a stick mounted: /tmp is now e.
    source->SetFile(kMountInfoPath,
                    "21 1 8:2 / / rw - ext4 /dev/sda2 rw\n"
                    "25 21 0:40 / /mnt/NAS rw - nfs4 NAS.local:/Export rw\n"
                    "27 21 0:41 / /tmp rw - tmpfs tmpfs rw\n"
                    "28 21 0:42 / /mnt/late rw - tmpfs tmpfs rw\n");
    combo.showPopup();
    combo.hidePopup();
    EXPECT_EQ(Texts(combo), (std::vector<std::string>{"c: [/]", "d: NAS.local:/Export", "e: [/tmp]",
                                                      "f: [/mnt/late]", "フォルダを選択…"}));
    EXPECT_EQ(combo.SelectedDrive(), 'e');

    combo.SetFolder("/srv");
    source->SetFile(kMountInfoPath, "21 1 8:2 / / rw - ext4 /dev/sda2 rw\n");
    combo.showPopup();
    combo.hidePopup();
    EXPECT_EQ(Texts(combo), (std::vector<std::string>{"a: [/srv]", "c: [/]", "フォルダを選択…"}));
    EXPECT_EQ(combo.SelectedDrive(), 'a');
    InstallVolumeTable(nullptr);
}

}  // namespace
}  // namespace zelk
