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
#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include "app/GraphPainter.h"
#include "app/MainFormLayout.h"
#include "app/RecordTrees.h"
#include "app/TCanvas.h"
#include "app/TPageControl.h"
#include "app/TPaintBox.h"
#include "app/TRadioButton.h"
#include "app/TfrmMain.h"
#include "app/WideListIndex.h"

namespace zelk {
namespace {

constexpr int kWidth = 602;
constexpr int kHeight = 259;
const QColor kBackground(200, 200, 200);
const QColor kMagenta(255, 0, 255);

QImage Paint(const TFileAttr* root, int width = kWidth, int height = kHeight,
             WideListIndex* index = nullptr) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter painter(&image);
    TCanvas canvas(painter, MainFormFont(96), kBackground);
    PaintGraph(canvas, width, height, root, index);
    return image;
}

// Column x from top to bottom as runs of colours, such as "53. 77w 129m": "." the background,
// then the eight bar colours w m l o b g r n, ? any other colour.
std::string Column(const QImage& image, int x, QColor background = kBackground) {
    const QRgb bars[] = {0xffffff, 0xff00ff, 0x00ff00, 0x808000,
                         0x0000ff, 0x008000, 0x800000, 0x000080};
    std::string names;
    for (int y = 0; y < image.height(); ++y) {
        const QColor c = image.pixelColor(x, y);
        const auto* bar = std::find(std::begin(bars), std::end(bars), c.rgb() & 0xffffff);
        names += c == background ? '.' : bar != std::end(bars) ? "wmlobgrn"[bar - bars] : '?';
    }
    std::string runs;
    for (std::size_t from = 0, to = 0; from < names.size(); from = to) {
        to = std::min(names.find_first_not_of(names[from], from), names.size());
        runs += (runs.empty() ? "" : " ") + std::to_string(to - from) + names[from];
    }
    return runs;
}

// A tree of nameless records from their sizes (the same on both bases), "[" opening the
// children of the record before it and "]" closing them: "1000 [300 500 [250 100]]".
std::unique_ptr<TFileAttr> Tree(const std::string& sizes) {
    std::string spaced;
    for (const char c : sizes) {
        spaced += c == '[' || c == ']' ? std::string{' ', c, ' '} : std::string(1, c);
    }
    std::istringstream in(spaced);
    double size = 0;
    in >> size;
    auto root = MakeRoot(size, size);
    root->Name = "";
    TFileAttr* last = root.get();
    TFileAttr* parent = nullptr;
    for (std::string token; in >> token;) {
        if (token == "[") {
            parent = last;
        } else if (token == "]") {
            parent = parent->Parent;
        } else {
            last = &AddRecord(*parent, "", std::stod(token), std::stod(token));
            root->MaxLevel = std::max(root->MaxLevel, last->Level);
        }
    }
    return root;
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

TEST(GraphView, BarsStackInColumnsPerLevelWithGapsTruncatedHeightsAndThePathsColours) {
    const std::string third = std::to_string(1000.0 / 3);
    const struct {
        const char* what;
        std::string tree;
        std::vector<std::pair<int, const char*>> columns;
    } rows[] = {
        // clang-format off
        {"no sub-directories: one full-width column, its right edge left out", "1000",
         {{0, "259w"}, {kWidth - 2, "259w"}, {kWidth - 1, "259."}}},
        // Columns of 602 / 3 = 200 pixels, the last pixel of each left as a gap; 77.7, 129.5,
        // 64.75 and 25.9 rows.
        {"children from the top of their parent, truncated", "1000 [300 500 [250 100]]",
         {{0, "259w"}, {198, "259w"}, {199, "259."}, {200, "53. 77w 129m"}, {398, "53. 77w 129m"},
          {399, "259."}, {400, "170. 64m 25l"}, {599, "259."}}},
        {"colours follow the path's index sum modulo eight",
         "900 [100 100 100 100 [100 0] 100 100 [0 0 0 100] 100 100 100]",
         {{250, "7. 28w 28m 28l 28o 28b 28g 28r 28n 28w"}, {450, "91. 28o 28. 28w 84."}}},
        // A parent smaller than its children (no scan makes one) still keeps them inside it.
        {"children never rise above their parent's top",
         "1000 [" + third + " [100 [80 80]] " + third + " " + third + "]",
         {{100, "259w"}, {200, "1. 86w 86m 86l"}, {350, "62. 25w 172."}, {500, "62. 5w 20m 172."}}},
        {"a root of size 0 draws its own bar alone", "0 [0 [0]]",
         {{150, "259w"}, {199, "259."}, {250, "259."}, {450, "259."}}},
        // clang-format on
    };
    for (const auto& row : rows) {
        const QImage image = Paint(Tree(row.tree).get());
        for (const auto& [x, runs] : row.columns) {
            EXPECT_EQ(Column(image, x), runs) << row.what << ", x " << x;
        }
    }
}

TEST(GraphView, LabelsOnlyBarsTallerThanATextLineInOutlinedWhite) {
    const int line = QFontMetrics(MainFormFont(96)).height();
    // One byte per pixel row: magenta exactly one line high (no label), lime one pixel more.
    auto root = Tree("259 [100 " + std::to_string(line) + " " + std::to_string(line + 1) + " 0]");
    for (int i = 1; i < 4; ++i) {
        root->Children[static_cast<std::size_t>(i)]->Name = "ＷＷＷ";
    }
    const QImage image = Paint(root.get());
    const int limeTop = kHeight - (line + 1);
    const int magentaTop = limeTop - line;
    const QRect magenta(301, magentaTop, 300, line);
    EXPECT_EQ(PixelsWhere(image, magenta, [](QColor c) { return c != kMagenta; }), 0);

    const QRect lime(301, limeTop, 300, line + 1);
    EXPECT_GT(PixelsWhere(image, lime, Dark), 20);
    EXPECT_GT(PixelsWhere(image, lime, Bright), 5);
    // The white copy sits one pixel right of and below the black ones, which frame it.
    int whiteLeft = 301;
    while (whiteLeft < 601 &&
           PixelsWhere(image, QRect(whiteLeft, limeTop, 1, line + 1), Bright) == 0) {
        ++whiteLeft;
    }
    ASSERT_GE(whiteLeft, 303);
    const QRect leftOfWhite(301, limeTop, whiteLeft - 301, line + 1);
    EXPECT_GT(PixelsWhere(image, leftOfWhite, Dark), 0);
    EXPECT_EQ(PixelsWhere(image, leftOfWhite, Bright), 0);
    // The label's cell starts at the bar's corner, so nothing of it shows above the bar.
    EXPECT_EQ(PixelsWhere(image, QRect(301, 0, 300, limeTop), Dark), 0);
}

TEST(GraphView, ALabelWiderThanItsColumnOverlaysTheNextAndARootOfSizeZeroKeepsItsOwn) {
    auto root = Tree("1000 [1000 [1000 [1000 [1000 [1000]]]]]");  // columns of 100 pixels
    root->Name = "とても長い名前のディレクトリ";                  // about 160 pixels
    QImage image = Paint(root.get());
    const int line = QFontMetrics(MainFormFont(96)).height();
    EXPECT_GT(PixelsWhere(image, QRect(100, 0, 99, line + 3), Dark), 0);
    EXPECT_EQ(PixelsWhere(image, QRect(100, line + 3, 99, kHeight - line - 3), Dark), 0);
    root = Tree("0 [0 [0]]");
    root->Name = "\\";
    image = Paint(root.get());
    EXPECT_GT(PixelsWhere(image, QRect(0, 0, 20, line + 3), Dark), 0);
}

TEST(GraphView, ChainOfAHundredThousandLevelsPaintsWithoutExhaustingTheStack) {
    // Columns of 0 pixels: every bar falls left of the surface.
    std::string chain = "1000";
    for (int level = 1; level <= 100000; ++level) {
        chain += "[1000";
    }
    const auto root = Tree(chain + std::string(100000, ']'));
    EXPECT_EQ(Paint(root.get()), Paint(nullptr)) << "blank";
}

TEST(GraphView, WideListsPaintTheSameWhenRunsOfEmptyBarsArePassedOver) {
    FixedBasis basis;
    // 20,000 children of one byte, every 997th of a megabyte (on one basis or the other), each
    // of those with a child of its own.
    auto root = MakeRoot(0, 0);
    root->MaxLevel = 2;
    for (int i = 0; i < 20000; ++i) {
        const bool big = i % 997 == 0;
        TFileAttr& child = AddCounted(*root, "d", big && i % 2 == 0 ? 1e6 : 1, big ? 1e6 : 1);
        if (big) {
            AddRecord(child, "e", child.Size / 2, child.CompressedSize / 2);
        }
    }
    WideListIndex index;
    for (const bool compressed : {false, true, false}) {
        basis.compressed = compressed;
        EXPECT_EQ(Paint(root.get(), kWidth, kHeight, &index), Paint(root.get())) << compressed;
    }
}

TEST(GraphView, TheWindowsSurfaceIsBlankUntilAScanFinishesAndFollowsItsSizeAndTheBasis) {
    TfrmMain form(12);  // at design size
    form.FormCreate();
    form.show();
    form.Controls().PageControl1->SetActivePage(form.Controls().TabSheet2);
    QCoreApplication::processEvents();
    const QColor face = form.Controls().PaintBox1->palette().color(QPalette::Button);
    // The surface's width follows the page control's frame, a few pixels off the design's 602.
    const auto columns = [&] {
        const int x = form.Controls().PaintBox1->Width() / 2;
        const QImage image = form.Controls().PaintBox1->grab().toImage();
        return Column(image, x - 2, face) + " | " + Column(image, x - 1, face) + " | " +
               Column(image, x, face);
    };
    EXPECT_EQ(columns(), "259. | 259. | 259.");
    // An empty first child, a second (magenta) one of half the size and a fifth of the
    // compressed size.
    const auto sample = [] {
        auto root = Tree("1000 [0 500]");
        root->CompressedSize = 100;
        root->Children[1]->CompressedSize = 20;
        return root;
    };
    form.ReplaceShownTree(sample(), false);  // a scan still going or interrupted
    EXPECT_EQ(columns(), "259. | 259. | 259.");
    form.ReplaceShownTree(sample(), true);
    EXPECT_EQ(columns(), "259w | 259. | 130. 129m");  // 129.5 rows
    form.Controls().rbCompressedSize->setChecked(true);
    EXPECT_EQ(columns(), "259w | 259. | 208. 51m");  // 20 / 100 of 259 rows
    form.Controls().rbFileSize->setChecked(true);
    form.resize(form.width() + 100, form.height() + 100);
    QCoreApplication::processEvents();
    EXPECT_EQ(columns(), "359w | 359. | 180. 179m");  // 179.5 rows
}

}  // namespace
}  // namespace zelk
