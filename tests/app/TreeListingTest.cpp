// Guards the tree listing: node texts under the Japanese settings byte for byte (shares, sizes,
// ratio, date), an empty drive listing without an error, the nodes' nesting and order, a rebuild
// discarding every earlier node and label edit, a large listing added in steps, and a deep one;
// and the rows against being cut off: a long text and a row two hundred levels deep reached with
// the horizontal scroll bar and drawn whole, a name holding control characters on one line.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QScrollBar>
#include <algorithm>
#include <string>
#include <tuple>

#include "app/RecordTrees.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/TreeListing.h"
#include "runtime/DateTimeTestSupport.h"

namespace zelk {
namespace {

class TreeListingTest : public DateTimeTest {
  protected:
    std::string TextAt(int index) const { return form_.TreeView1->Item(index)->Text(); }
    TfrmMain form_{0};
};

TEST_F(TreeListingTest, NodeTextsReadByteForByteUnderTheJapaneseSettings) {
    form_.RootAttr = MakeRoot(1e9, 9e8, At(2026, 12, 6, 9, 5, 7));
    TFileAttr& root = *form_.RootAttr;
    AddRecord(root, "Windows", 2.5e8, 2e8, At(2026, 12, 6, 9, 5, 7));
    AddRecord(root, "plain", 1e8, 1e8, At(2026, 1, 1));
    AddRecord(root, "grown", 100, 103, At(2026, 1, 1, 0, 0, 1));
    AddRecord(root, "eighth", 1.25e8, 1.125e8, At(2026, 1, 1));
    form_.RefreshTree();
    ASSERT_EQ(form_.TreeView1->Count(), 5);
    EXPECT_EQ(TextAt(0), "\\ 100%:100% (1,000,000,000)(900,000,000 10%) 2026/12/06 9:05:07");
    EXPECT_EQ(TextAt(1), "Windows 25%:22% (250,000,000)(200,000,000 20%) 2026/12/06 9:05:07");
    EXPECT_EQ(TextAt(2), "plain 10%:11% (100,000,000)(-) 2026/01/01");
    EXPECT_EQ(TextAt(3), "grown 0%:0% (100)(103 -3%) 2026/01/01 0:00:01");
    EXPECT_EQ(TextAt(4), "eighth 13%:13% (125,000,000)(112,500,000 10%) 2026/01/01");
}

TEST_F(TreeListingTest, SizesKeepEveryDigitAndAnEmptyTotalGivesAShareOfZero) {
    const double big = 9007199254740994.0;  // 2^53 + 2
    const std::tuple<double, double, std::string> rows[] = {
        {big, big / 2, "(9,007,199,254,740,994)(4,503,599,627,370,497 50%)"},
        {10, 0, "\\ 100%:0% (10)(0 100%) 1899/12/30"},
        {0, 0, "\\ 0%:0% (0)(-) 1899/12/30"},
    };
    for (const auto& [size, compressed, text] : rows) {
        form_.RootAttr = MakeRoot(size, compressed);
        AddRecord(*form_.RootAttr, "e", 0, 0);
        ASSERT_NO_THROW(form_.RefreshTree());
        EXPECT_NE(TextAt(0).find(text), std::string::npos) << TextAt(0);
        EXPECT_EQ(TextAt(1), "e 0%:0% (0)(-) 1899/12/30");
    }
}

TEST_F(TreeListingTest, NodesNestInChildrenOrder) {
    form_.RootAttr = MakeRoot(60, 60);
    TFileAttr& a = AddRecord(*form_.RootAttr, "a", 10, 10);
    AddRecord(a, "a1", 5, 5);
    AddRecord(a, "a2", 5, 5);
    AddRecord(*form_.RootAttr, "b", 50, 50);
    form_.RefreshTree();
    TTreeView& tree = *form_.TreeView1;
    ASSERT_EQ(tree.Count(), 5);
    TTreeNode* top = tree.Item(0);
    EXPECT_EQ(tree.Model().TopCount(), 1);
    ASSERT_EQ(top->Count(), 2);
    EXPECT_EQ(top->Item(0)->Text().substr(0, 2), "a ");
    EXPECT_EQ(top->Item(1)->Text().substr(0, 2), "b ");
    EXPECT_EQ(top->Item(0)->Item(1)->Text().substr(0, 3), "a2 ");
    EXPECT_EQ(top->Item(1)->Count(), 0);
}

TEST_F(TreeListingTest, ARebuildRemovesEveryEarlierNodeAndLabelEdit) {
    form_.RootAttr = MakeRoot(10, 10);
    AddRecord(*form_.RootAttr, "a", 10, 10);
    form_.RefreshTree();
    const std::string before = TextAt(1);
    TTreeView& tree = *form_.TreeView1;
    tree.Model().FlushChanges();
    tree.Model().setData(tree.Model().IndexOf(tree.Item(1)), QString("renamed"));
    ASSERT_EQ(TextAt(1), "renamed");
    form_.RefreshTree();
    EXPECT_EQ(tree.Count(), 2);
    EXPECT_EQ(TextAt(1), before);
}

TEST_F(TreeListingTest, ALargeListingIsAddedInStepsAndReadingTheTreeFinishesIt) {
    form_.RootAttr = MakeRoot(1, 1);
    for (int i = 0; i < 100000; ++i) {
        AddRecord(*form_.RootAttr, "d", 0, 0);
    }
    TTreeView& tree = *form_.TreeView1;
    form_.RefreshTree();
    ASSERT_TRUE(tree.Model().Deferring());
    EXPECT_EQ(tree.model()->rowCount(), 0);  // the view hears of the tree once it is complete
    while (tree.Model().Deferring()) {
        QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(tree.model()->rowCount(tree.model()->index(0, 0)), 100000);
    form_.RefreshTree();
    EXPECT_EQ(tree.Count(), 100001);
    EXPECT_FALSE(tree.Model().Deferring());
}

TEST_F(TreeListingTest, TenThousandLevelsListSortReadBackAndClearWithoutRecursion) {
    form_.RootAttr = MakeRoot(1, 1);
    TFileAttr* record = form_.RootAttr.get();
    for (int level = 1; level <= 10000; ++level) {
        record = &AddRecord(*record, "d", 1, 1);
    }
    form_.RootAttr->MaxLevel = 10000;
    form_.btnSortBySizeClick();
    ASSERT_EQ(form_.TreeView1->Count(), 10001);
    EXPECT_EQ(TextAt(10000).substr(0, 2), "d ");
    form_.RootAttr = MakeRoot(0, 0);
    form_.RefreshTree();
    EXPECT_EQ(form_.TreeView1->Count(), 1);
}

// Whether the view shows ink (any pixel darker than the background) in the column band.
bool InkBetween(TTreeView& tree, const QRect& row, int left, int right) {
    const QImage shot = tree.viewport()->grab().toImage();
    for (int x = std::max(left, 0); x < std::min(right, shot.width()); ++x) {
        for (int y = row.top(); y <= row.bottom(); ++y) {
            if (qGray(shot.pixel(x, y)) < 128) {
                return true;
            }
        }
    }
    return false;
}

TEST(TreeScrolling, ALongTextAndADeepRowAreReachedSidewaysAndDrawnWhole) {
    TTreeView tree;
    tree.resize(300, 200);
    tree.show();
    const std::string longText = std::string(399, 'w') + "X";
    TTreeNode* root = tree.Add(nullptr, longText);
    TTreeNode* deepest = root;
    for (int level = 1; level <= 200; ++level) {
        deepest = tree.Add(deepest, "level " + std::to_string(level));
    }
    QCoreApplication::processEvents();
    tree.expandAll();
    QScrollBar& across = *tree.horizontalScrollBar();

    for (TTreeNode* node : {root, deepest}) {
        const QModelIndex index = tree.Model().IndexOf(node);
        tree.scrollTo(index);
        QCoreApplication::processEvents();
        across.setValue(across.maximum());
        const QRect row = tree.visualRect(index);
        ASSERT_TRUE(row.isValid()) << node->Text();
        const int textWidth = tree.fontMetrics().horizontalAdvance(
            QString::fromUtf8(node->Text().data(), static_cast<qsizetype>(node->Text().size())));
        // The whole text fits its row, its end is inside the view and its last characters are
        // drawn there (the text starts after the picture's place and a small margin).
        const int textEnd = row.left() + textWidth;
        EXPECT_GE(row.width(), textWidth) << node->Text();
        EXPECT_LE(textEnd, tree.viewport()->width()) << node->Text();
        EXPECT_TRUE(InkBetween(tree, row, textEnd - 8, textEnd + 24)) << node->Text();
    }
}

TEST(TreeScrolling, ControlCharactersInANameStayOnOneLineAndInTheText) {
    TTreeView tree;
    TTreeNode* plain = tree.Add(nullptr, "ab");
    TTreeNode* broken = tree.Add(nullptr, "a\nb\tc\x7f");
    tree.Model().FlushChanges();
    EXPECT_EQ(broken->Text(), "a\nb\tc\x7f");
    EXPECT_EQ(tree.Model().IndexOf(broken).data().toString(), QString("a\nb\tc\x7f"));
    QStyleOptionViewItem option;
    option.initFrom(&tree);
    const auto heightOf = [&](TTreeNode* node) {
        return tree.itemDelegate()->sizeHint(option, tree.Model().IndexOf(node)).height();
    };
    EXPECT_EQ(heightOf(broken), heightOf(plain));
}

}  // namespace
}  // namespace zelk
