// Guards the drive chooser: entry texts and pictures in letter order, the letter case, the chosen
// drive and its notifications, when the list is refreshed, and how an entry is drawn (key colour
// gone, text from 22 pixels, highlight, ampersand, clipping), the item height and the open rows;
// and its folder entries: a folder listed first as "a: [folder]" and chosen, the other entries as
// they were, the chooser entry last, which asks for a folder and leaves the choice alone; and the
// list read again at each opening, with a drive mounted since shown, one unmounted gone, the
// chosen drive followed by its mount point when letters move, and the folder kept.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QPainter>
#include <QTest>
#include <algorithm>

#include "drives/TDriveComboBox.h"
#include "platform/TextVolumeSource.h"
#include "platform/VolumeTable.h"
#include "platform/VolumeTableReader.h"

namespace zelk {
namespace {

// c: fixed /, d: fixed /home, e: removable stick, f: NFS share, g: DVD, h: tmpfs, and /proc.
const std::string kMounts =
    "21 1 8:2 / / rw,relatime - ext4 /dev/sda2 rw\n"
    "22 21 0:21 / /proc rw - proc proc rw\n"
    "23 21 8:3 / /home rw,relatime - ext4 /dev/sda3 rw\n"
    "24 21 8:17 / /media/al/STICK rw - vfat /dev/sdb1 rw\n"
    "25 21 0:40 / /mnt/NAS rw - nfs4 NAS.local:/Export rw\n"
    "26 21 11:0 / /media/al/DVD ro - iso9660 /dev/sr0 ro\n"
    "27 21 0:41 / /tmp rw - tmpfs tmpfs rw\n";
const std::string kRoot = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n";
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kNavy = 0xFF000080;
constexpr QRgb kMagenta = 0xFFFF00FF;

std::shared_ptr<TextVolumeSource> Source(const std::string& mounts = kMounts,
                                         const std::string& cwd = "/home/al") {
    auto source = std::make_shared<TextVolumeSource>(mounts, cwd);
    source->SetFile("/sys/dev/block/8:17/../removable", "1\n");
    return source;
}

// Shown with fixed colours, so drawn pixels can be read.
struct Chooser : TDriveComboBox {
    explicit Chooser(std::shared_ptr<TextVolumeSource> source = Source())
        : TDriveComboBox(nullptr, std::move(source)) {
        QPalette palette;
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Text, Qt::black);
        palette.setColor(QPalette::Highlight, QColor(kNavy));
        palette.setColor(QPalette::HighlightedText, Qt::white);
        setPalette(palette);
        show();
    }
    // Each entry's picture, by the initial of its DriveImage name, and text.
    std::string Listing() const {
        std::string listing;
        for (const DriveEntry& entry : Entries()) {
            listing += std::string(listing.empty() ? "" : " | ") +
                       "FHNCR"[static_cast<int>(entry.Image)] + " " + entry.Text;
        }
        return listing;
    }
    // The chosen drive (- for none) and entry.
    std::string Choice() const {
        return std::string(1, SelectedDrive() != 0 ? SelectedDrive() : '-') + " " +
               std::to_string(SelectedEntry());
    }
    QImage Draw(int index, bool selected, int width = 240, int clip = 240) const {
        QImage image(width, 20, QImage::Format_ARGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        DrawDriveEntry(painter, index, QRect(0, 0, clip, 20), selected, false);
        return image;
    }
};

// First and last column holding a pixel unlike the background, from column `from` on; -1 if none.
std::pair<int, int> InkColumns(const QImage& image, QRgb background, int from) {
    std::pair<int, int> ink{-1, -1};
    for (int x = from; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixel(x, y) != background) {
                ink = {ink.first < 0 ? x : ink.first, x};
            }
        }
    }
    return ink;
}

// Mount points and sources keep their case: a Linux path is case-sensitive. A screen reader
// names the list by the chosen drive.
TEST(DriveEntries, ListedInLetterOrderWithLabelsNamesAndPictures) {
    EXPECT_TRUE(TDriveComboBox(nullptr, Source()).Entries().empty());  // filled when first shown
    Chooser combo;
    EXPECT_EQ(combo.Listing(),
              "H c: [/] | H d: [/home] | F e: | N f: NAS.local:/Export | "
              "C g: [/media/al/DVD] | R h: [/tmp]");
    EXPECT_EQ(combo.Choice(), "d 1");
    EXPECT_EQ(InstalledVolumeTable()->ByLetter('d')->MountPoint, "/home");  // the scan's letters
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(&combo);
    EXPECT_EQ(read->text(QAccessible::Name), QString("d: [/home]"));
    combo.SelectDrive('f');
    EXPECT_EQ(read->text(QAccessible::Name), QString("f: NAS.local:/Export"));
    EXPECT_EQ(Chooser(Source(kMounts, "/proc/self")).Choice(), "- -1");
    const Chooser empty(Source(""));
    EXPECT_EQ(empty.Listing() + empty.Choice(), "- -1");
}

// An unlisted letter is kept while the entry stays; 0 chooses nothing.
TEST(DriveEntries, ChoosingTheChosenDriveAgainRaisesNoChangeAndAUserPickClickThenChange) {
    Chooser combo;
    std::string events;
    combo.OnClick = [&] { events += "click " + std::string(1, combo.SelectedDrive()) + ", "; };
    combo.OnChange = [&] { events += "change " + combo.Choice() + ", "; };
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(events, "click d, change e 2, ");
    // Each step's events, then the choice.
    // clang-format off
    const std::pair<char, const char*> steps[] = {{'e', "e 2"}, {'E', "e 2"},
        {'C', "change c 0, c 0"}, {'q', "change q 0, q 0"}, {0, "change - -1, - -1"}};
    // clang-format on
    for (const auto& [letter, shown] : steps) {
        events.clear();
        combo.SelectDrive(letter);
        EXPECT_EQ(events + combo.Choice(), shown) << letter;
    }
}

TEST(DriveEntries, ListRefreshesOnlyOnFontOrTextCaseChangeAndKeepsTheChoice) {
    auto source = Source();
    Chooser combo(source);
    source->SetFile(kMountInfoPath, kMounts + "28 21 8:4 / /data rw - xfs /dev/sda4 rw\n");
    combo.hide();
    combo.show();
    combo.SelectDrive('c');
    EXPECT_EQ(combo.Entries().size(), 6u);
    QFont font = combo.font();
    font.setPixelSize(font.pixelSize() > 0 ? font.pixelSize() + 3 : 15);
    combo.setFont(font);
    EXPECT_EQ(combo.Listing().substr(combo.Listing().rfind('|')), "| H i: [/data]");
    EXPECT_EQ(combo.Choice(), "c 0");  // re-selected after the rebuild
    combo.SetTextCase(tcUpperCase);    // the letters only
    EXPECT_EQ(combo.Entries()[3].Text, "F: NAS.local:/Export");
    EXPECT_EQ(combo.Choice(), "C 0");
}

// Every picture's key colour gives way to the background, the highlight where selected; the
// closed field with nothing chosen gets only its background.
TEST(DriveDrawing, EntriesDropTheKeyColourStartTheirTextAt22PixelsAndShowTheSelection) {
    const Chooser combo;
    for (int index = 0; index < combo.count(); ++index) {
        const QImage image = combo.Draw(index, false);
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
        const auto* end = pixels + image.width() * image.height();
        EXPECT_EQ(std::count(pixels, end, kBlue) + std::count(pixels, end, kMagenta), 0) << index;
    }
    const auto [first, last] = InkColumns(combo.Draw(0, false), kWhite, 18);
    EXPECT_TRUE(first >= 22 && first <= 24 && last < 120) << first << " to " << last;
    const QImage selected = combo.Draw(1, true);
    EXPECT_EQ(selected.pixel(2, 4), kNavy);
    EXPECT_NE(InkColumns(selected, kNavy, 18).first, -1);
    EXPECT_EQ(InkColumns(combo.Draw(-1, true), kWhite, 0).first, -1);
}

TEST(DriveDrawing, AmpersandIsDrawnAsItselfAndLongTextIsClipped) {
    const Chooser combo(Source(kRoot + "2 1 8:2 / /mnt/a\\046b rw - ext4 /dev/sda2 rw\n" +
                               "3 1 8:3 / /mnt/ab rw - ext4 /dev/sda3 rw\n"));
    const int withAmpersand = InkColumns(combo.Draw(1, false), kWhite, 18).second;
    const int without = InkColumns(combo.Draw(2, false), kWhite, 18).second;
    const int advance = QFontMetrics(combo.font()).horizontalAdvance(QStringLiteral("&"));
    EXPECT_NEAR(withAmpersand - without, advance, 2);
    EXPECT_EQ(InkColumns(combo.Draw(1, false, 60, 40), kMagenta, 40).first, -1);
}

// The open list shows one to eight whole rows: the drives and the folder chooser after them.
TEST(DriveItemHeight, IsTheFontHeightButNeverBelowElevenAndTheOpenListShowsOneToEightRows) {
    Chooser combo;
    QFont font = combo.font();
    font.setPixelSize(6);
    combo.setFont(font);
    EXPECT_EQ(combo.ItemHeight(), 11);
    font.setPixelSize(24);
    combo.setFont(font);
    EXPECT_EQ(combo.ItemHeight(), QFontMetrics(font).height());
    for (const auto& [drives, rows] : {std::pair{12, 8}, {2, 3}, {1, 2}}) {
        std::string mounts = kRoot;
        for (int i = 1; i < drives; ++i) {
            mounts += "2 1 0:50 / /mnt/v" + std::to_string(i) + " rw - tmpfs tmpfs rw\n";
        }
        Chooser list(Source(mounts));
        list.showPopup();
        QApplication::processEvents();
        EXPECT_EQ(list.view()->viewport()->height(), rows * list.ItemHeight()) << drives;
        list.hidePopup();
    }
}

TEST(FolderEntry, ListedFirstAndChosenWithTheOtherEntriesAsTheyWereAndTheChooserLast) {
    Chooser combo;
    combo.SelectDrive('e');
    const std::string before = combo.Listing();
    ASSERT_EQ(combo.count(), combo.FolderChooserEntry() + 1);
    EXPECT_EQ(combo.itemText(combo.FolderChooserEntry()), "フォルダを選択…");
    int asked = 0;
    combo.OnChooseFolder = [&asked] { ++asked; };

    combo.SetFolder("/mnt/NAS/a b");
    // The label, whatever drive holds it; after it the picture of each entry, then its text.
    EXPECT_EQ(combo.Listing().substr(2), "a: [/mnt/NAS/a b] | " + before);
    EXPECT_EQ(combo.Choice(), "a 0");
    EXPECT_EQ(InstalledVolumeTable()->ByLetter('a')->MountPoint, "/mnt/NAS/a b");

    emit combo.activated(combo.FolderChooserEntry());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(combo.Choice(), "a 0");
    EXPECT_EQ(combo.currentIndex(), 0);
    InstallVolumeTable(nullptr);
}

TEST(FolderEntry, OpeningRereadsTheDrivesFollowsTheChosenMountPointAndKeepsTheFolder) {
    auto source = Source();
    Chooser combo(source);
    combo.SelectDrive('h');  // /tmp
    const auto reopened = [&](const std::string& mounts) {
        source->SetFile(kMountInfoPath, mounts);
        combo.showPopup();
        combo.hidePopup();
        EXPECT_EQ(combo.itemText(combo.count() - 1), "フォルダを選択…");
        return combo.Listing();
    };
    // /home and the stick unmounted, a RAM disk mounted: /tmp is now f.
    EXPECT_EQ(reopened(kRoot + "25 1 0:40 / /mnt/NAS rw - nfs4 NAS.local:/Export rw\n" +
                       "26 1 11:0 / /media/al/DVD ro - iso9660 /dev/sr0 ro\n" +
                       "27 1 0:41 / /tmp rw - tmpfs tmpfs rw\n" +
                       "28 1 0:42 / /mnt/late rw - tmpfs tmpfs rw\n"),
              "H c: [/] | N d: NAS.local:/Export | C e: [/media/al/DVD] | R f: [/tmp] | "
              "R g: [/mnt/late]");
    EXPECT_EQ(combo.SelectedDrive(), 'f');

    combo.SetFolder("/srv");
    EXPECT_EQ(reopened(kRoot).substr(2), "a: [/srv] | H c: [/]");
    EXPECT_EQ(combo.SelectedDrive(), 'a');
    InstallVolumeTable(nullptr);
}

}  // namespace
}  // namespace zelk
