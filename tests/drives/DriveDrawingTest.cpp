// Guards how the chooser draws: the pictures, one entry read back from an image (key colour
// gone, text from 22 pixels, highlight, ampersand, clipping), the item height and the rows of
// the open list.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <set>

#include "tests/drives/DriveTestSupport.h"

namespace zelk {
namespace {

constexpr QRgb kBlue = 0xFF0000FF;

QImage DrawEntry(const TDriveComboBox& combo, int index, bool selected, int width = 240) {
    QImage image(width, 20, QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    combo.DrawDriveEntry(painter, index, QRect(0, 0, width, 20), selected, false);
    return image;
}

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

class DriveDrawing : public ::testing::Test {
  protected:
    void SetUp() override {
        combo_.setPalette(FixedPalette());
        combo_.show();
    }
    TDriveComboBox combo_{nullptr, ChooserSource(kChooserMountInfo)};
};

TEST(DriveImages, AreSixteenByElevenInFiveColoursWithBlueKeyRows) {
    const std::set<QRgb> allowed = {0xFF000000, 0xFF808080, 0xFFC0C0C0, 0xFFFFFFFF, kBlue};
    std::set<QByteArray> pictures;
    for (int i = 0; i < kDriveImageCount; ++i) {
        const QImage image = QImage(DriveImageXpm(static_cast<DriveImage>(i)))
                                 .convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(16, 11)) << i;
        for (int y = 0; y < 11; ++y) {
            for (int x = 0; x < 16; ++x) {
                const QRgb pixel = image.pixel(x, y);
                EXPECT_TRUE(allowed.contains(pixel) && (pixel == kBlue) == (y == 0 || y == 10))
                    << i << " " << x << "," << y;
            }
        }
        pictures.insert(
            QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    EXPECT_EQ(pictures.size(), 5u);
}

TEST_F(DriveDrawing, EntryDropsTheKeyColourAndStartsItsTextAt22Pixels) {
    const QImage image = DrawEntry(combo_, 0, false);
    const QRgb white = 0xFFFFFFFF;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ASSERT_NE(image.pixel(x, y), kBlue) << x << "," << y;
            ASSERT_NE(image.pixel(x, y), QColor(Qt::magenta).rgba()) << x << "," << y;
        }
    }
    // The picture's top (key) row falls on y = (0 + 20 - 11) / 2 = 4, its outline below it.
    EXPECT_EQ(image.pixel(2, 4), white);
    EXPECT_EQ(image.pixel(2, 5), 0xFF000000);
    EXPECT_EQ(image.pixel(17, 5), 0xFF000000);
    EXPECT_EQ(image.pixel(18, 5), white);
    EXPECT_EQ(image.pixel(1, 5), white);
    const auto [first, last] = InkColumns(image, white, 18);
    EXPECT_GE(first, 22);
    EXPECT_LE(first, 24);
    EXPECT_LT(last, 120);
}

TEST_F(DriveDrawing, SelectedEntryUsesHighlightColoursAndTheClosedFieldOnlyItsBackground) {
    const QImage selected = DrawEntry(combo_, 1, true);
    EXPECT_EQ(selected.pixel(0, 0), QColor(0, 0, 128).rgba());
    EXPECT_EQ(selected.pixel(2, 4), QColor(0, 0, 128).rgba());  // key shows the highlight
    EXPECT_NE(InkColumns(selected, QColor(0, 0, 128).rgba(), 18).first, -1);

    const QImage none = DrawEntry(combo_, -1, true);
    EXPECT_EQ(InkColumns(none, 0xFFFFFFFF, 0).first, -1);
}

TEST(DriveDrawingText, AmpersandIsDrawnAsItselfAndLongTextIsClipped) {
    auto source = ChooserSource(
        "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "2 1 8:2 / /mnt/a\\046b rw - ext4 /dev/sda2 rw\n"
        "3 1 8:3 / /mnt/ab rw - ext4 /dev/sda3 rw\n");
    TDriveComboBox combo(nullptr, source);
    combo.setPalette(FixedPalette());
    combo.show();
    ASSERT_EQ(combo.Entries()[1].Text, "d: [/mnt/a&b]");
    const int withAmpersand = InkColumns(DrawEntry(combo, 1, false), 0xFFFFFFFF, 18).second;
    const int without = InkColumns(DrawEntry(combo, 2, false), 0xFFFFFFFF, 18).second;
    const int advance = QFontMetrics(combo.font()).horizontalAdvance(QStringLiteral("&"));
    EXPECT_NEAR(withAmpersand - without, advance, 2);

    QImage narrow(60, 20, QImage::Format_ARGB32);
    narrow.fill(Qt::magenta);
    QPainter painter(&narrow);
    combo.DrawDriveEntry(painter, 1, QRect(0, 0, 40, 20), false, false);
    painter.end();
    EXPECT_EQ(InkColumns(narrow, QColor(Qt::magenta).rgba(), 40).first, -1);
}

TEST(DriveItemHeight, IsTheFontHeightButNeverBelowEleven) {
    TDriveComboBox combo(nullptr, ChooserSource(kChooserMountInfo));
    QFont font = combo.font();
    font.setPixelSize(6);
    combo.setFont(font);
    EXPECT_EQ(combo.ItemHeight(), 11);
    font.setPixelSize(24);
    combo.setFont(font);
    EXPECT_EQ(combo.ItemHeight(), QFontMetrics(font).height());
    EXPECT_GT(combo.height(), combo.ItemHeight());  // the closed field holds one entry
}

int OpenRows(int drives) {
    TDriveComboBox combo(nullptr, ChooserSource(MountInfoWithDrives(drives)));
    combo.show();
    combo.showPopup();
    QApplication::processEvents();
    const int height = combo.view()->viewport()->height();
    combo.hidePopup();
    EXPECT_EQ(height % combo.ItemHeight(), 0) << height;
    return height / combo.ItemHeight();
}

TEST(DriveOpenList, ShowsOneToEightRows) {
    EXPECT_EQ(OpenRows(12), 8);
    EXPECT_EQ(OpenRows(2), 2);
    EXPECT_EQ(OpenRows(1), 1);
}

}  // namespace
}  // namespace zelk
