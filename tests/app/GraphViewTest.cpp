// Guards the graph page's picture, read back pixel by pixel: columns per level with one-pixel
// gaps, children stacked from the bottom in their path's colours with truncated heights that
// never leave the parent, outlined labels only on bars taller than a text line, the blank page
// of an unfinished scan, the root of size 0, very deep trees, and the window's surface following
// its size and the size basis at each paint.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <functional>
#include <memory>
#include <string>

#include "app/GraphPainter.h"
#include "app/MainFormLayout.h"
#include "app/RecordTrees.h"
#include "app/TCanvas.h"
#include "app/TPageControl.h"
#include "app/TPaintBox.h"
#include "app/TRadioButton.h"
#include "app/TfrmMain.h"
#include "app/WideListIndex.h"
#include "scan/SizeBasis.h"

namespace zelk {
namespace {

constexpr int kWidth = 602;
constexpr int kHeight = 259;
const QColor kBackground(200, 200, 200);
const QColor kWhite(255, 255, 255);
const QColor kMagenta(255, 0, 255);
const QColor kLime(0, 255, 0);

QFont WindowFont() {
    return MainFormFont(96);
}

int TextLine() {
    return QFontMetrics(WindowFont()).height();
}

QImage Paint(const TFileAttr* root, int width = kWidth, int height = kHeight,
             WideListIndex* index = nullptr) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter painter(&image);
    TCanvas canvas(painter, WindowFont(), kBackground);
    PaintGraph(canvas, width, height, root, index);
    return image;
}

// The rows of column x from y1 up to y2 (exclusive) that do not have the colour.
int RowsNotOf(const QImage& image, int x, int y1, int y2, QColor colour) {
    int count = 0;
    for (int y = y1; y < y2; ++y) {
        count += image.pixelColor(x, y) != colour ? 1 : 0;
    }
    return count;
}

int PixelsWhere(const QImage& image, QRect area, const std::function<bool(QColor)>& test) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += test(image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return count;
}

bool Dark(QColor c) {
    return c.red() < 80 && c.green() < 80 && c.blue() < 80;
}

bool Bright(QColor c) {
    return c.red() > 235 && c.green() > 235 && c.blue() > 235;
}

TEST(GraphView, TreeWithoutSubDirectoriesFillsOneFullWidthColumnInWhite) {
    auto root = MakeRoot(1000, 400);
    root->Name = "";
    const QImage image = Paint(root.get());
    for (const int y : {0, 1, 130, kHeight - 1}) {
        EXPECT_EQ(image.pixelColor(0, y), kWhite) << y;
        EXPECT_EQ(image.pixelColor(kWidth - 2, y), kWhite) << y;
        EXPECT_EQ(image.pixelColor(kWidth - 1, y), kBackground) << y;  // right edge left out
    }
}

TEST(GraphView, ChildrenStackFromTheBottomWithTruncatedHeightsAndColumnGaps) {
    auto root = MakeRoot(1000, 1000);
    root->Name = "";
    root->MaxLevel = 2;
    AddRecord(*root, "", 300, 0);                 // 77.7 px: rows 53..129, white
    TFileAttr& b = AddRecord(*root, "", 500, 0);  // 129.5 px: rows 130..258, magenta
    AddRecord(b, "", 250, 0);                     // 64.75 px: rows 170..233, magenta
    AddRecord(b, "", 100, 0);                     // 25.9 px: rows 234..258, lime
    const QImage image = Paint(root.get());
    // Columns of 602 / 3 = 200 pixels, the last pixel of each left as a gap.
    EXPECT_EQ(RowsNotOf(image, 0, 0, kHeight, kWhite), 0);
    EXPECT_EQ(RowsNotOf(image, 198, 0, kHeight, kWhite), 0);
    EXPECT_EQ(RowsNotOf(image, 199, 0, kHeight, kBackground), 0);
    EXPECT_EQ(RowsNotOf(image, 399, 0, kHeight, kBackground), 0);
    EXPECT_EQ(RowsNotOf(image, 599, 0, kHeight, kBackground), 0);

    for (const int x : {200, 398}) {
        EXPECT_EQ(RowsNotOf(image, x, 0, 53, kBackground), 0);
        EXPECT_EQ(RowsNotOf(image, x, 53, 130, kWhite), 0);
        EXPECT_EQ(RowsNotOf(image, x, 130, kHeight, kMagenta), 0);
    }
    EXPECT_EQ(RowsNotOf(image, 400, 130, 170, kBackground), 0);
    EXPECT_EQ(RowsNotOf(image, 400, 170, 234, kMagenta), 0);
    EXPECT_EQ(RowsNotOf(image, 400, 234, kHeight, kLime), 0);
}

TEST(GraphView, ColoursFollowThePathModuloEight) {
    auto root = MakeRoot(900, 900);
    root->Name = "";
    root->MaxLevel = 2;
    for (int i = 0; i < 9; ++i) {
        AddRecord(*root, "", 100, 0);  // 28 px each, from the bottom: child i at 7 + 28 i
    }
    AddRecord(*root->Children[3], "", 100, 0);  // index 3 + 0
    AddRecord(*root->Children[3], "", 0, 0);
    AddRecord(*root->Children[5], "", 0, 0);
    AddRecord(*root->Children[5], "", 0, 0);
    AddRecord(*root->Children[5], "", 0, 0);
    AddRecord(*root->Children[5], "", 100, 0);  // index 5 + 3 = 8: white again
    const QColor expected[] = {kWhite,
                               kMagenta,
                               kLime,
                               QColor(128, 128, 0),
                               QColor(0, 0, 255),
                               QColor(0, 128, 0),
                               QColor(128, 0, 0),
                               QColor(0, 0, 128),
                               kWhite};
    const QImage image = Paint(root.get());
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(image.pixelColor(250, 20 + 28 * i), expected[i]) << i;
    }
    EXPECT_EQ(image.pixelColor(450, 20 + 28 * 3), expected[3]);
    EXPECT_EQ(image.pixelColor(450, 20 + 28 * 5), kWhite);
    EXPECT_EQ(image.pixelColor(450, 20 + 28 * 4), kBackground);
}

TEST(GraphView, StackedChildrenNeverRiseAboveTheirParentsTop) {
    auto root = MakeRoot(1000, 1000);
    root->Name = "";
    root->MaxLevel = 3;  // columns of 150 pixels
    for (int i = 0; i < 3; ++i) {
        AddRecord(*root, "", 1000.0 / 3, 0);  // 86.33 px each: 258 rows, the top row left over
    }
    // A parent smaller than its children (no scan makes one) still keeps them inside it.
    TFileAttr& small = AddRecord(*root->Children[0], "", 100, 0);  // 25.9 px: rows 62..86
    AddRecord(small, "", 80, 0);                                   // 20 px, cut to 5: 62..66
    AddRecord(small, "", 80, 0);                                   // 20 px: rows 67..86
    const QImage image = Paint(root.get());
    EXPECT_EQ(image.pixelColor(200, 0), kBackground);
    EXPECT_EQ(RowsNotOf(image, 200, 1, kHeight, kBackground), kHeight - 1);
    for (const int x : {350, 500}) {
        EXPECT_EQ(RowsNotOf(image, x, 0, 62, kBackground), 0) << x;
        EXPECT_EQ(RowsNotOf(image, x, 62, 87, kBackground), 25) << x;
        EXPECT_EQ(RowsNotOf(image, x, 87, kHeight, kBackground), 0) << x;
    }
}

TEST(GraphView, LabelsOnlyBarsTallerThanATextLineInOutlinedWhite) {
    const int line = TextLine();
    auto root = MakeRoot(kHeight, kHeight);  // one byte per pixel row
    root->Name = "";
    root->MaxLevel = 1;
    AddRecord(*root, "", 100, 0);
    AddRecord(*root, "ＷＷＷ", line, 0);      // magenta, exactly one line: no label
    AddRecord(*root, "ＷＷＷ", line + 1, 0);  // lime, one pixel more: labelled
    AddRecord(*root, "ＷＷＷ", 0, 0);
    const QImage image = Paint(root.get());
    const int limeTop = kHeight - (line + 1);
    const int magentaTop = limeTop - line;
    const QRect magenta(301, magentaTop, 300, line);
    EXPECT_EQ(PixelsWhere(image, magenta, [](QColor c) { return c != kMagenta; }), 0);

    const QRect lime(301, limeTop, 300, line + 1);
    EXPECT_GT(PixelsWhere(image, lime, Dark), 20);
    EXPECT_GT(PixelsWhere(image, lime, Bright), 5);
    // The white copy sits one pixel right of and below the black ones, which frame it.
    int whiteLeft = -1;
    for (int x = 301; x < 601 && whiteLeft < 0; ++x) {
        for (int y = limeTop; y < kHeight && whiteLeft < 0; ++y) {
            whiteLeft = Bright(image.pixelColor(x, y)) ? x : -1;
        }
    }
    ASSERT_GE(whiteLeft, 303);
    const QRect leftOfWhite(301, limeTop, whiteLeft - 301, line + 1);
    EXPECT_GT(PixelsWhere(image, leftOfWhite, Dark), 0);
    EXPECT_EQ(PixelsWhere(image, leftOfWhite, Bright), 0);
    // The label's cell starts at the bar's corner, so nothing of it shows above the bar.
    EXPECT_EQ(PixelsWhere(image, QRect(301, 0, 300, limeTop), Dark), 0);
}

TEST(GraphView, ParentLabelWiderThanItsColumnOverlaysTheColumnToItsRight) {
    auto root = MakeRoot(1000, 1000);
    root->Name = "とても長い名前のディレクトリ";  // about 160 pixels
    root->MaxLevel = 5;                           // columns of 100 pixels
    TFileAttr* record = root.get();
    for (int level = 1; level <= 5; ++level) {
        record = &AddRecord(*record, "", 1000, 0);  // white bars of full height
    }
    const QImage image = Paint(root.get());
    const int line = TextLine();
    EXPECT_GT(PixelsWhere(image, QRect(100, 0, 99, line + 3), Dark), 0);
    EXPECT_EQ(PixelsWhere(image, QRect(100, line + 3, 99, kHeight - line - 3), Dark), 0);
}

TEST(GraphView, RootOfSizeZeroDrawsItsOwnBarAloneWithItsLabel) {
    auto root = MakeRoot(0, 0);
    root->MaxLevel = 2;
    TFileAttr& a = AddRecord(*root, "a", 0, 0);
    AddRecord(a, "b", 0, 0);
    const QImage image = Paint(root.get());
    EXPECT_EQ(RowsNotOf(image, 150, 0, kHeight, kWhite), 0);
    EXPECT_EQ(RowsNotOf(image, 199, 0, kHeight, kBackground), 0);
    EXPECT_EQ(
        PixelsWhere(image, QRect(200, 0, 402, kHeight), [](QColor c) { return c != kBackground; }),
        0);
    EXPECT_GT(PixelsWhere(image, QRect(0, 0, 20, TextLine() + 3), Dark), 0);
}

TEST(GraphView, ChainOfAHundredThousandLevelsPaintsWithoutExhaustingTheStack) {
    auto root = MakeRoot(1000, 1000);
    root->Name = "";
    root->MaxLevel = 100000;  // columns of 0 pixels: every bar falls left of the surface
    TFileAttr* record = root.get();
    for (int level = 1; level <= root->MaxLevel; ++level) {
        record = &AddRecord(*record, "", 1000, 1000);
    }
    QImage blank(kWidth, kHeight, QImage::Format_RGB32);
    blank.fill(kBackground);
    EXPECT_EQ(Paint(root.get()), blank);
}

TEST(GraphView, WideListsPaintTheSameWhenRunsOfEmptyBarsArePassedOver) {
    struct Basis : SizeBasisProvider {
        bool compressed = false;
        bool CompressedBasis() const override { return compressed; }
    } basis;
    InstallSizeBasis(&basis);
    // 20,000 children of one byte, every 997th of a megabyte (on one basis or the other), each
    // of those with a child of its own.
    auto root = MakeRoot(0, 0);
    root->MaxLevel = 2;
    for (int i = 0; i < 20000; ++i) {
        const bool big = i % 997 == 0;
        TFileAttr& child = AddRecord(*root, "d", big && i % 2 == 0 ? 1e6 : 1, big ? 1e6 : 1);
        root->Size += child.Size;
        root->CompressedSize += child.CompressedSize;
        if (big) {
            AddRecord(child, "e", child.Size / 2, child.CompressedSize / 2);
        }
    }
    WideListIndex index;
    for (const bool compressed : {false, true, false}) {
        basis.compressed = compressed;
        EXPECT_EQ(Paint(root.get(), kWidth, kHeight, &index), Paint(root.get())) << compressed;
    }
    InstallSizeBasis(nullptr);
}

// The window's own surface at design size, painted by its paint handler.
class GraphSurface : public ::testing::Test {
  protected:
    GraphSurface() : form_(12) {
        form_.FormCreate();
        form_.show();
        form_.PageControl1->SetActivePage(form_.TabSheet2);
        QCoreApplication::processEvents();
    }
    QImage Grab() const { return form_.PaintBox1->grab().toImage(); }
    QColor Background() const { return form_.PaintBox1->palette().color(QPalette::Button); }
    // A root with an empty first child and a second (magenta) one of half the uncompressed
    // size and a fifth of the compressed size.
    void Finish() {
        form_.RootAttr = MakeRoot(1000, 100);
        form_.RootAttr->Name = "";
        form_.RootAttr->MaxLevel = 1;
        AddRecord(*form_.RootAttr, "", 0, 0);
        AddRecord(*form_.RootAttr, "", 500, 20);
    }
    int BlankPixels(const QImage& image) const {
        return PixelsWhere(image, image.rect(), [this](QColor c) { return c == Background(); });
    }
    TfrmMain form_;
};

// The surface's width follows the page control's frame, a few pixels off the design's 602.
TEST_F(GraphSurface, ShowsNothingBeforeAScanHasFinishedOrAfterAnInterruptedOne) {
    // Interrupted: the walk never closed the root's listing.
    const int pixels = form_.PaintBox1->Width() * form_.PaintBox1->Height();
    EXPECT_EQ(BlankPixels(Grab()), pixels);
    Finish();
    form_.RootAttr->Searched = false;
    EXPECT_EQ(BlankPixels(Grab()), pixels);
    form_.RootAttr->Searched = true;
    EXPECT_EQ(Grab().pixelColor(0, 0), kWhite);
}

TEST_F(GraphSurface, FollowsTheSurfaceSizeAtTheNextPaint) {
    Finish();
    ASSERT_EQ(form_.PaintBox1->Height(), kHeight);
    int column = form_.PaintBox1->Width() / 2;
    QImage image = Grab();
    EXPECT_EQ(RowsNotOf(image, column - 2, 0, kHeight, kWhite), 0);
    EXPECT_EQ(RowsNotOf(image, column - 1, 0, kHeight, Background()), 0);
    EXPECT_EQ(RowsNotOf(image, column, 0, 130, Background()), 0);  // 129.5 rows
    EXPECT_EQ(RowsNotOf(image, column, 130, kHeight, kMagenta), 0);

    form_.resize(form_.width() + 100, form_.height() + 100);
    QCoreApplication::processEvents();
    ASSERT_EQ(form_.PaintBox1->Height(), kHeight + 100);
    column = form_.PaintBox1->Width() / 2;
    image = Grab();
    EXPECT_EQ(RowsNotOf(image, column - 2, 0, kHeight + 100, kWhite), 0);
    EXPECT_EQ(RowsNotOf(image, column - 1, 0, kHeight + 100, Background()), 0);
    EXPECT_EQ(RowsNotOf(image, column, 0, 180, Background()), 0);  // 179.5 rows
    EXPECT_EQ(RowsNotOf(image, column, 180, kHeight + 100, kMagenta), 0);
}

TEST_F(GraphSurface, CompressedBasisChangesTheHeightsAtTheNextPaint) {
    Finish();
    form_.rbCompressedSize->setChecked(true);
    const int column = form_.PaintBox1->Width() / 2;
    const QImage image = Grab();
    EXPECT_EQ(RowsNotOf(image, column, 0, 208, Background()), 0);  // 20 / 100 of 259: 51 rows
    EXPECT_EQ(RowsNotOf(image, column, 208, kHeight, kMagenta), 0);
    EXPECT_EQ(form_.BarHeight(*form_.RootAttr->Children[1]), 51);
    form_.rbFileSize->setChecked(true);
    EXPECT_EQ(form_.BarHeight(*form_.RootAttr->Children[1]), 129);
}

}  // namespace
}  // namespace zelk
