// Guards the tree control (nodes numbered depth first, its errors, rebuilds under the view) and
// the tree listing: node texts under the Japanese settings byte for byte (shares, sizes,
// ratio, date) in their nesting and order, an empty drive listing without an error, a rebuild
// discarding every earlier node and label edit, a large listing added in steps, and a deep one;
// huge sizes with every digit and no date shown for date 0; the rows against being cut off: a long
// text and a row two hundred levels deep reached with the horizontal scroll bar and drawn whole, a
// name holding control characters on one line; and sorting: by size on either basis with basis
// changes re-sorting once a key is chosen, by date (an unknown date below every real one), the
// stable sort putting larger keys first and equal keys in their earlier order, and nothing sorted
// or rebuilt before a key is chosen, during a scan or after an interrupted one.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QScrollBar>
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "app/ETreeViewError.h"
#include "app/RecordSorter.h"
#include "app/RecordTrees.h"
#include "app/TRadioButton.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "runtime/DateTimeTestSupport.h"

namespace zelk {
namespace {

// One line per node, depth first, indented by its depth.
std::string Outline(TTreeView& tree) {
    std::string lines;
    for (int i = 0; i < tree.Count(); ++i) {
        for (const TTreeNode* up = tree.Item(i)->Parent(); up; up = up->Parent()) {
            lines += "  ";
        }
        lines += tree.Item(i)->Text() + "\n";
    }
    return lines;
}

class TreeListingTest : public DateTimeTest {
  protected:
    std::string TextAt(int index) const { return tree_.Item(index)->Text(); }
    // The names below the root as listed, depth first; empty while nothing is listed.
    std::string Listed() const {
        std::string names;
        for (int i = 1; i < tree_.Count(); ++i) {
            names += TextAt(i).substr(0, 1);
        }
        return names;
    }
    void SortSample(bool finished = true) {
        form_.ReplaceShownTree(MakeRoot(60, 60, 5), finished);
        TFileAttr& a = AddRecord(*form_.ShownTree(), "a", 10, 30, 3);
        AddRecord(a, "x", 1, 1, 1);
        AddRecord(a, "y", 9, 29, 3);
        AddRecord(*form_.ShownTree(), "b", 20, 10, 5);
        AddRecord(*form_.ShownTree(), "c", 30, 20, 4);
    }
    TfrmMain form_{0};
    TTreeView& tree_ = *form_.Controls().TreeView1;
};

TEST_F(TreeListingTest, NodeTextsReadByteForByteInTheirNestingAndARebuildDropsEveryLabelEdit) {
    form_.ReplaceShownTree(MakeRoot(1e9, 9e8, At(2026, 12, 6, 9, 5, 7)), true);
    TFileAttr& root = *form_.ShownTree();
    AddRecord(root, "Windows", 2.5e8, 2e8, At(2026, 12, 6, 9, 5, 7));
    AddRecord(*root.Children[0], "grown", 100, 103, At(2026, 1, 1, 0, 0, 1));
    AddRecord(root, "plain", 1e8, 1e8, At(2026, 1, 1));
    AddRecord(root, "eighth", 1.25e8, 1.125e8, At(2026, 1, 1));
    form_.RefreshTree();
    const std::string listed = Outline(tree_);
    EXPECT_EQ(tree_.Model().TopCount(), 1);
    EXPECT_EQ(listed,
              "\\ 100%:100% (1,000,000,000)(900,000,000 10%) 2026/12/06 9:05:07\n"
              "  Windows 25%:22% (250,000,000)(200,000,000 20%) 2026/12/06 9:05:07\n"
              "    grown 0%:0% (100)(103 -3%) 2026/01/01 0:00:01\n"
              "  plain 10%:11% (100,000,000)(-) 2026/01/01\n"
              "  eighth 13%:13% (125,000,000)(112,500,000 10%) 2026/01/01\n");
    // A rebuild drops every earlier node and label edit.
    tree_.Model().FlushChanges();
    tree_.Model().setData(tree_.Model().IndexOf(tree_.Item(1)), QString("renamed"));
    ASSERT_EQ(TextAt(1), "renamed");
    form_.RefreshTree();
    EXPECT_EQ(Outline(tree_), listed);
}

// Sizes from 10^18 on are written in the general form, which has no currency sign to drop; an
// unknown date (0) is not written, in the text and in the accessible text alike; a share of an
// empty total is 0.
TEST_F(TreeListingTest, SizesKeepEveryDigitAnEmptyTotalGivesAShareOfZeroAndDateZeroNoDate) {
    const double big = 9007199254740994.0;  // 2^53 + 2
    const double e18 = 1e18;
    const double p63 = 9223372036854775808.0;
    const double p64 = 18446744073709551616.0;
    const double below = 999999999999999872.0;  // the largest double below 10^18
    const std::tuple<double, double, double, std::string> rows[] = {
        {big, big / 2, 0, "\\ 100%:100% (9,007,199,254,740,994)(4,503,599,627,370,497 50%)"},
        {10, 0, 0, "\\ 100%:0% (10)(0 100%)"},
        {0, 0, 0, "\\ 0%:0% (0)(-)"},
        {e18, e18, 0, "\\ 100%:100% (1E18)(-)"},
        {p63, e18, 0, "\\ 100%:100% (9.22337203685477581E18)(1E18 89%)"},
        {e18, p63, 0, "\\ 100%:100% (1E18)(9.22337203685477581E18 -822%)"},
        {p64, p63, At(2026, 1, 1),
         "\\ 100%:100% (1.84467440737095516E19)"
         "(9.22337203685477581E18 50%) 2026/01/01"},
        {e18, p64, 0, "\\ 100%:100% (1E18)(1.84467440737095516E19 -1745%)"},
        {below, below / 2, At(2026, 1, 1),
         "\\ 100%:100% (999,999,999,999,999,872)(499,999,999,999,999,936 50%) 2026/01/01"},
    };
    for (const auto& [size, compressed, date, text] : rows) {
        form_.ReplaceShownTree(MakeRoot(size, compressed, date), true);
        AddRecord(*form_.ShownTree(), "e", 0, 0);
        ASSERT_NO_THROW(form_.RefreshTree());
        EXPECT_EQ(TextAt(0), text);
        EXPECT_EQ(TextAt(1), "e 0%:0% (0)(-)");
        QCoreApplication::processEvents();
        const QModelIndex index = tree_.Model().IndexOf(tree_.Item(0));
        EXPECT_EQ(index.data(Qt::AccessibleTextRole).toString().toStdString(), text);
    }
}

TEST_F(TreeListingTest, ALargeListingIsAddedInStepsAndReadingTheTreeFinishesIt) {
    form_.ReplaceShownTree(MakeRoot(1, 1), true);
    for (int i = 0; i < 100000; ++i) {
        AddRecord(*form_.ShownTree(), "d", 0, 0);
    }
    form_.RefreshTree();
    ASSERT_TRUE(tree_.Model().Deferring());
    EXPECT_EQ(tree_.model()->rowCount(), 0);  // the view hears of the tree once it is complete
    while (tree_.Model().Deferring()) {
        QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(tree_.model()->rowCount(tree_.model()->index(0, 0)), 100000);
    form_.RefreshTree();
    EXPECT_EQ(tree_.Count(), 100001);
    EXPECT_FALSE(tree_.Model().Deferring());
}

TEST_F(TreeListingTest, TenThousandLevelsListSortReadBackAndClearWithoutRecursion) {
    form_.ReplaceShownTree(MakeRoot(1, 1), true);
    TFileAttr* record = form_.ShownTree();
    for (int level = 1; level <= 10000; ++level) {
        record = &AddRecord(*record, "d", 1, 1);
    }
    form_.ShownTree()->MaxLevel = 10000;
    form_.btnSortBySizeClick();
    ASSERT_EQ(tree_.Count(), 10001);
    EXPECT_EQ(TextAt(10000).substr(0, 2), "d ");
    form_.ReplaceShownTree(MakeRoot(0, 0), true);
    form_.RefreshTree();
    EXPECT_EQ(tree_.Count(), 1);
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
    EXPECT_EQ(tree.Model().IndexOf(broken).data().toString(), QString("a\nb\tc\x7f"));
    QStyleOptionViewItem option;
    option.initFrom(&tree);
    const auto heightOf = [&](TTreeNode* node) {
        return tree.itemDelegate()->sizeHint(option, tree.Model().IndexOf(node)).height();
    };
    EXPECT_EQ(heightOf(broken), heightOf(plain));
}

TEST_F(TreeListingTest, SortsBySizeOnTheBasisResortingOnASwitchOnceAKeyIsChosenAndByDate) {
    SortSample();
    form_.Controls().rbCompressedSize->click();
    EXPECT_EQ(Listed(), "") << "no key yet: nothing sorted or listed";
    form_.btnSortBySizeClick();
    EXPECT_EQ(Listed(), "ayxcb");
    form_.Controls().rbFileSize->click();
    EXPECT_EQ(Listed(), "cbayx");
    form_.btnSortByDateClick();
    EXPECT_EQ(Listed(), "bcayx") << "the newest file below first";
    // Dates before 1899/12/30 are negative, an unknown one is 0.
    form_.ShownTree()->Children[0]->LastWrite = 0;
    form_.ShownTree()->Children[1]->LastWrite = At(1850, 1, 1);
    form_.btnSortByDateClick();
    EXPECT_EQ(Listed(), "ayxcb") << "an unknown date last";
}

TEST_F(TreeListingTest, NothingIsSortedDuringOrAfterAnInterruptedScanAndTheKeyStays) {
    SortSample(false);
    form_.btnSortBySizeClick();
    EXPECT_EQ(form_.ShownTree()->Children[0]->Name.Str(), "a");
    EXPECT_EQ(Listed(), "");
    SortSample();
    form_.rbFileSizeClick();
    EXPECT_EQ(Listed(), "cbayx");
    form_.ReplaceShownTree(nullptr, false);
    EXPECT_NO_THROW(form_.btnSortByDateClick());
}

// Children a to x with the sizes, compressed sizes and dates of their digits: more equal keys
// than a plain sort keeps in order by itself; the first child holds the same list, two levels.
TEST(Sorting, LargerKeysComeFirstAndEqualKeysKeepTheirEarlierOrderOnEveryLevel) {
    const std::string sizes = "102120311230210321013201";
    const std::string compressed = "321002133120021303120312";
    const std::string dates = "012301230123301201230123";
    const auto fill = [&](TFileAttr& list) {
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            AddRecord(list, std::string(1, static_cast<char>('a' + i)), sizes[i] - '0',
                      compressed[i] - '0', dates[i] - '0');
        }
    };
    const std::tuple<const char*, bool, std::string> rows[] = {
        {"Size", false, "gkpucejmqvadhinrtxbflosw"},
        {"Size", true, "ahiprvbfkntxcgjoswdelmqu"},
        {"Date", true, "dhlmtxcgkpswbfjorvaeinqu"}};
    FixedBasis basis;
    for (const auto& [key, onCompressed, expected] : rows) {
        auto root = MakeRoot(0, 0);
        fill(*root);
        fill(*root->Children[0]);
        fill(*root->Children[0]->Children[0]);
        basis.compressed = onCompressed;
        SortAttr(key, *root);
        for (const char* path : {"", "a", "a/a"}) {
            std::string order;
            for (const auto& child : RecordAt(*root, path)->Children) {
                order += child->Name.Str();
            }
            EXPECT_EQ(order, expected) << key << onCompressed << " below " << path;
        }
    }
}

TEST(TreeControl, NumbersNodesDepthFirstDeletesWholeSubtreesAndRaisesItsErrors) {
    TTreeView tree;
    TTreeNode* root = tree.Add(nullptr, "root");
    TTreeNode* a = tree.Add(root, "a");
    tree.Add(a, "a1");
    tree.Add(root, "b");
    TTreeNode* second = tree.Add(nullptr, "second");
    EXPECT_EQ(Outline(tree), "root\n  a\n    a1\n  b\nsecond\n");
    EXPECT_THROW(tree.Item(-1), ETreeViewError);
    tree.Delete(a);
    EXPECT_EQ(Outline(tree), "root\n  b\nsecond\n");
    EXPECT_EQ(tree.Item(1)->Index(), 0);
    tree.Delete(root);
    tree.Add(second, "in a freed place");
    EXPECT_EQ(Outline(tree), "second\n  in a freed place\n");
    tree.Delete(tree.Item(0));
    EXPECT_EQ(tree.Count(), 0);
    const auto message = [](auto call) {
        try {
            call();
        } catch (const ETreeViewError& error) {
            return error.Message();
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { tree.Item(0); }), "不正なｲﾝﾃﾞｯｸｽ");
    TTreeView other;
    TTreeNode* foreign = other.Add(nullptr, "x");
    EXPECT_EQ(message([&] { tree.Add(foreign, "y"); }), "ｱｲﾃﾑの挿入ができません");
    EXPECT_EQ(tree.Count(), 0) << "nothing added for a parent of another tree";
}

TEST(TreeControl, ShowsTheFinishedTreeCollapsedOnceControlReturnsToTheLoop) {
    TTreeView tree;
    tree.resize(300, 200);
    tree.show();
    QAbstractItemModelTester tester(&tree.Model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    TTreeNode* root = tree.Add(nullptr, "\\ 100%:100%");
    root->ImageIndex = 0;
    root->SelectedIndex = 1;
    for (int i = 0; i < 50; ++i) {
        TTreeNode* child = tree.Add(root, "dir" + std::to_string(i));
        tree.Add(child, "leaf");
    }
    QCoreApplication::processEvents();
    const QModelIndex top = tree.model()->index(0, 0);
    EXPECT_EQ(top.data().toString(), QString::fromUtf8("\\ 100%:100%"));
    EXPECT_EQ(tree.model()->rowCount(top), 50);
    EXPECT_FALSE(tree.isExpanded(top));
    tree.expand(top);
    tree.setCurrentIndex(tree.model()->index(3, 0, top));
    // A rebuild while the view holds an expanded, selected node.
    while (tree.Count() > 0) {
        tree.Delete(tree.Item(0));
    }
    tree.Add(nullptr, "new root");
    tree.repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(tree.model()->rowCount(), 1);
    EXPECT_EQ(tree.model()->index(0, 0).data().toString(), "new root");
}

}  // namespace
}  // namespace zelk
