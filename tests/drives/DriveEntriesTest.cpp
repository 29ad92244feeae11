// Guards what the drive chooser lists and holds: entry texts and pictures in letter order, the
// letter case, the chosen drive and its notifications, and when the list is refreshed.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QTest>

#include "platform/VolumeTableReader.h"
#include "tests/drives/DriveTestSupport.h"

namespace zelk {
namespace {

std::vector<std::string> Texts(const TDriveComboBox& combo) {
    std::vector<std::string> texts;
    for (const DriveEntry& entry : combo.Entries()) {
        texts.push_back(entry.Text);
    }
    return texts;
}

TEST(DriveEntries, ListedInLetterOrderWithLabelsNamesAndPictures) {
    TDriveComboBox combo(nullptr, ChooserSource(kChooserMountInfo));
    EXPECT_TRUE(combo.Entries().empty());  // filled when first shown
    combo.show();
    // Mount points and sources keep their case: a Linux path is case-sensitive.
    EXPECT_EQ(Texts(combo),
              (std::vector<std::string>{"c: [/]", "d: [/home]", "e:", "f: NAS.local:/Export",
                                        "g: [/media/al/DVD]", "h: [/tmp]"}));
    std::vector<DriveImage> images;
    for (const DriveEntry& entry : combo.Entries()) {
        images.push_back(entry.Image);
    }
    EXPECT_EQ(images,
              (std::vector<DriveImage>{DriveImage::Hard, DriveImage::Hard, DriveImage::Floppy,
                                       DriveImage::Network, DriveImage::CdRom, DriveImage::Ram}));
    EXPECT_EQ(combo.SelectedDrive(), 'd');
    EXPECT_EQ(combo.SelectedEntry(), 1);
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_EQ(InstalledVolumeTable()->ByLetter('d')->MountPoint, "/home");  // the scan's letters
    // A screen reader names the list by the chosen drive.
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(&combo);
    EXPECT_EQ(read->text(QAccessible::Name), QString("d: [/home]"));
    combo.SelectDrive('f');
    EXPECT_EQ(read->text(QAccessible::Name), QString("f: NAS.local:/Export"));
}

TEST(DriveEntries, ChoosingTheChosenDriveAgainRaisesNoChange) {
    TDriveComboBox combo(nullptr, ChooserSource(kChooserMountInfo));
    combo.show();
    int changes = 0;
    combo.OnChange = [&] { ++changes; };
    struct Step {
        char Letter;
        int Changes;
        char Selected;
        int Entry;
    };
    // An unlisted letter is kept while the entry stays; 0 chooses nothing.
    for (const Step& step : std::vector<Step>{{'d', 0, 'd', 1},
                                              {'D', 0, 'd', 1},
                                              {'C', 1, 'c', 0},
                                              {'q', 2, 'q', 0},
                                              {0, 3, 0, -1}}) {
        combo.SelectDrive(step.Letter);
        EXPECT_EQ(changes, step.Changes) << step.Letter;
        EXPECT_EQ(combo.SelectedDrive(), step.Selected) << step.Letter;
        EXPECT_EQ(combo.SelectedEntry(), step.Entry) << step.Letter;
    }
}

TEST(DriveEntries, UserPickRaisesClickThenChange) {
    TDriveComboBox combo(nullptr, ChooserSource(kChooserMountInfo));
    combo.show();
    std::vector<std::string> events;
    combo.OnClick = [&] { events.push_back("click " + std::string(1, combo.SelectedDrive())); };
    combo.OnChange = [&] { events.push_back("change " + std::string(1, combo.SelectedDrive())); };
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(events, (std::vector<std::string>{"click d", "change e"}));
    EXPECT_EQ(combo.SelectedEntry(), 2);
}

TEST(DriveEntries, CurrentDirectoryOnNoDriveOrAnEmptyTableChoosesNothing) {
    TDriveComboBox onProc(nullptr, ChooserSource(kChooserMountInfo, "/proc/self"));
    onProc.show();
    EXPECT_EQ(onProc.SelectedDrive(), 0);
    EXPECT_EQ(onProc.SelectedEntry(), -1);
    EXPECT_EQ(onProc.Entries().size(), 6u);

    TDriveComboBox empty(nullptr, ChooserSource(""));
    empty.show();
    EXPECT_TRUE(empty.Entries().empty());
    EXPECT_EQ(empty.count(), 0);
    EXPECT_EQ(empty.SelectedDrive(), 0);
}

TEST(DriveEntries, ListRefreshesOnlyOnFontOrTextCaseChangeAndKeepsTheChoice) {
    auto source = ChooserSource(kChooserMountInfo);
    TDriveComboBox combo(nullptr, source);
    combo.show();
    source->SetFile(kMountInfoPath,
                    kChooserMountInfo + "28 21 8:4 / /data rw - xfs /dev/sda4 rw\n");
    combo.hide();
    combo.show();
    combo.SelectDrive('c');
    EXPECT_EQ(combo.Entries().size(), 6u);

    QFont font = combo.font();
    font.setPixelSize(font.pixelSize() > 0 ? font.pixelSize() + 3 : 15);
    combo.setFont(font);
    ASSERT_EQ(combo.Entries().size(), 7u);
    EXPECT_EQ(combo.Entries()[6].Text, "i: [/data]");
    EXPECT_EQ(combo.SelectedDrive(), 'c');  // re-selected after the rebuild
    EXPECT_EQ(combo.SelectedEntry(), 0);

    source->SetFile(kMountInfoPath, kChooserMountInfo);
    combo.SetTextCase(tcUpperCase);  // the letters only
    EXPECT_EQ(Texts(combo),
              (std::vector<std::string>{"C: [/]", "D: [/home]", "E:", "F: NAS.local:/Export",
                                        "G: [/media/al/DVD]", "H: [/tmp]"}));
    EXPECT_EQ(combo.SelectedDrive(), 'C');
    EXPECT_EQ(combo.SelectedEntry(), 0);
}

}  // namespace
}  // namespace zelk
