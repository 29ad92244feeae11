// Guards the drive chooser: entry texts and pictures in letter order, the letter case, the chosen
// drive and its notifications, when the list is refreshed, and how an entry is drawn (key colour
// gone, text from 22 pixels, highlight, ampersand, clipping), the item height and the open rows.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QPainter>
#include <QTest>
#include <set>

#include "drives/TDriveComboBox.h"
#include "platform/TextVolumeSource.h"
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
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const DriveEntry& entry : Entries()) {
            texts.push_back(entry.Text);
        }
        return texts;
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
    int first = -1;
    int last = -1;
    for (int x = from; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixel(x, y) != background) {
                first = first < 0 ? x : first;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

TEST(DriveEntries, ListedInLetterOrderWithLabelsNamesAndPictures) {
    EXPECT_TRUE(TDriveComboBox(nullptr, Source()).Entries().empty());  // filled when first shown
    Chooser combo;
    // Mount points and sources keep their case: a Linux path is case-sensitive.
    EXPECT_EQ(combo.Texts(),
              (std::vector<std::string>{"c: [/]", "d: [/home]", "e:", "f: NAS.local:/Export",
                                        "g: [/media/al/DVD]", "h: [/tmp]"}));
    std::string pictures;  // by the initials of the DriveImage names
    for (const DriveEntry& entry : combo.Entries()) {
        pictures += "FHNCR"[static_cast<int>(entry.Image)];
    }
    EXPECT_EQ(pictures, "HHFNCR");
    EXPECT_EQ(combo.SelectedDrive(), 'd');
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_EQ(InstalledVolumeTable()->ByLetter('d')->MountPoint, "/home");  // the scan's letters
    // A screen reader names the list by the chosen drive.
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(&combo);
    EXPECT_EQ(read->text(QAccessible::Name), QString("d: [/home]"));
    combo.SelectDrive('f');
    EXPECT_EQ(read->text(QAccessible::Name), QString("f: NAS.local:/Export"));
}

TEST(DriveEntries, ChoosingTheChosenDriveAgainRaisesNoChange) {
    Chooser combo;
    int changes = 0;
    combo.OnChange = [&] { ++changes; };
    // Letter, changes so far, chosen drive, chosen entry. An unlisted letter is kept while the
    // entry stays; 0 chooses nothing.
    const std::tuple<char, int, char, int> steps[] = {
        {'d', 0, 'd', 1}, {'D', 0, 'd', 1}, {'C', 1, 'c', 0}, {'q', 2, 'q', 0}, {0, 3, 0, -1}};
    for (const auto& [letter, count, selected, entry] : steps) {
        combo.SelectDrive(letter);
        EXPECT_EQ(changes, count) << letter;
        EXPECT_EQ(combo.SelectedDrive(), selected) << letter;
        EXPECT_EQ(combo.SelectedEntry(), entry) << letter;
    }
}

TEST(DriveEntries, UserPickRaisesClickThenChange) {
    Chooser combo;
    std::vector<std::string> events;
    combo.OnClick = [&] { events.push_back("click " + std::string(1, combo.SelectedDrive())); };
    combo.OnChange = [&] { events.push_back("change " + std::string(1, combo.SelectedDrive())); };
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(events, (std::vector<std::string>{"click d", "change e"}));
    EXPECT_EQ(combo.SelectedEntry(), 2);
}

TEST(DriveEntries, CurrentDirectoryOnNoDriveOrAnEmptyTableChoosesNothing) {
    Chooser onProc(Source(kMounts, "/proc/self"));
    EXPECT_EQ(onProc.SelectedDrive(), 0);
    EXPECT_EQ(onProc.SelectedEntry(), -1);
    EXPECT_EQ(onProc.Entries().size(), 6u);
    Chooser empty(Source(""));
    EXPECT_EQ(empty.count(), 0);
    EXPECT_EQ(empty.SelectedDrive(), 0);
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
    ASSERT_EQ(combo.Entries().size(), 7u);
    EXPECT_EQ(combo.Entries()[6].Text, "i: [/data]");
    EXPECT_EQ(combo.SelectedEntry(), 0);  // re-selected after the rebuild

    combo.SetTextCase(tcUpperCase);  // the letters only
    EXPECT_EQ(combo.Texts()[3], "F: NAS.local:/Export");
    EXPECT_EQ(combo.SelectedDrive(), 'C');
    EXPECT_EQ(combo.SelectedEntry(), 0);
}

TEST(DriveImages, AreDistinctSixteenByElevenPicturesWithBlueKeyRows) {
    std::set<QByteArray> pictures;
    for (int i = 0; i < kDriveImageCount; ++i) {
        const QImage image = QImage(DriveImageXpm(static_cast<DriveImage>(i)))
                                 .convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(16, 11)) << i;
        for (int y = 0; y < 11; ++y) {
            for (int x = 0; x < 16; ++x) {
                EXPECT_EQ(image.pixel(x, y) == kBlue, y == 0 || y == 10)
                    << i << " " << x << "," << y;
            }
        }
        pictures.insert(
            QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    EXPECT_EQ(pictures.size(), 5u);
}

TEST(DriveDrawing, EntryDropsTheKeyColourAndStartsItsTextAt22Pixels) {
    const QImage image = Chooser().Draw(0, false);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ASSERT_NE(image.pixel(x, y), kBlue) << x << "," << y;
            ASSERT_NE(image.pixel(x, y), QColor(Qt::magenta).rgba()) << x << "," << y;
        }
    }
    const auto [first, last] = InkColumns(image, kWhite, 18);
    EXPECT_GE(first, 22);
    EXPECT_LE(first, 24);
    EXPECT_LT(last, 120);
}

TEST(DriveDrawing, SelectedEntryUsesHighlightColoursAndTheClosedFieldOnlyItsBackground) {
    const Chooser combo;
    const QImage selected = combo.Draw(1, true);
    EXPECT_EQ(selected.pixel(2, 4), kNavy);  // key shows the highlight
    EXPECT_NE(InkColumns(selected, kNavy, 18).first, -1);
    EXPECT_EQ(InkColumns(combo.Draw(-1, true), kWhite, 0).first, -1);
}

TEST(DriveDrawing, AmpersandIsDrawnAsItselfAndLongTextIsClipped) {
    const Chooser combo(Source(kRoot + "2 1 8:2 / /mnt/a\\046b rw - ext4 /dev/sda2 rw\n" +
                               "3 1 8:3 / /mnt/ab rw - ext4 /dev/sda3 rw\n"));
    ASSERT_EQ(combo.Entries()[1].Text, "d: [/mnt/a&b]");
    const int withAmpersand = InkColumns(combo.Draw(1, false), kWhite, 18).second;
    const int without = InkColumns(combo.Draw(2, false), kWhite, 18).second;
    const int advance = QFontMetrics(combo.font()).horizontalAdvance(QStringLiteral("&"));
    EXPECT_NEAR(withAmpersand - without, advance, 2);
    EXPECT_EQ(InkColumns(combo.Draw(1, false, 60, 40), QColor(Qt::magenta).rgba(), 40).first, -1);
}

TEST(DriveItemHeight, IsTheFontHeightButNeverBelowEleven) {
    Chooser combo;
    QFont font = combo.font();
    font.setPixelSize(6);
    combo.setFont(font);
    EXPECT_EQ(combo.ItemHeight(), 11);
    font.setPixelSize(24);
    combo.setFont(font);
    EXPECT_EQ(combo.ItemHeight(), QFontMetrics(font).height());
    EXPECT_GT(combo.height(), combo.ItemHeight());  // the closed field holds one entry
}

TEST(DriveOpenList, ShowsOneToEightRows) {
    for (const auto& [drives, rows] : {std::pair{12, 8}, {2, 2}, {1, 1}}) {
        std::string mounts = kRoot;
        for (int i = 1; i < drives; ++i) {
            mounts += "2 1 0:50 / /mnt/v" + std::to_string(i) + " rw - tmpfs tmpfs rw\n";
        }
        Chooser combo(Source(mounts));
        combo.showPopup();
        QApplication::processEvents();
        const int height = combo.view()->viewport()->height();
        EXPECT_EQ(height % combo.ItemHeight(), 0) << height;
        EXPECT_EQ(height / combo.ItemHeight(), rows) << drives;
        combo.hidePopup();
    }
}

}  // namespace
}  // namespace zelk
