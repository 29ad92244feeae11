// Guards the tree's rows against being cut off: a long text and a row two hundred levels deep
// are reached with the horizontal scroll bar and drawn whole, and a name holding control
// characters stays on one line while its node text keeps every byte.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QScrollBar>
#include <string>

#include "app/TTreeView.h"

namespace zelk {
namespace {

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
