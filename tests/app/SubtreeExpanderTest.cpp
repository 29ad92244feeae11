// Guards expand all (`*`) on the tree control: a chain far deeper than the view's layout can
// recurse is expanded down to the bound and no further, by the key as well as by hand, and the
// view's later re-layouts of it survive; a wide subtree above the budget of one slice is
// expanded whole, and once collapsed shows its children alone when
// expanded again.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include "app/SubtreeExpander.h"
#include "app/TTreeView.h"

namespace zelk {
namespace {

constexpr int kBound = SubtreeExpander::kMaxExpandedDepth;

class SubtreeExpanderTest : public ::testing::Test {
  protected:
    void PressStarOn(TTreeNode* node) {
        view_.Model().FlushChanges();
        view_.setCurrentIndex(view_.Model().IndexOf(node));
        QKeyEvent star(QEvent::KeyPress, Qt::Key_Asterisk, Qt::NoModifier, "*");
        QCoreApplication::sendEvent(&view_, &star);
    }
    bool Expanded(TTreeNode* node) const { return view_.isExpanded(view_.Model().IndexOf(node)); }
    TTreeView view_;
};

TEST_F(SubtreeExpanderTest, ADeepChainIsExpandedDownToTheBoundAndSurvivesReLayouts) {
    std::vector<TTreeNode*> chain{view_.Add(nullptr, "root")};
    for (int i = 0; i < 40000; ++i) {
        chain.push_back(view_.Add(chain.back(), "d"));
    }
    view_.show();
    PressStarOn(chain.front());
    view_.Expander().Finish();
    EXPECT_TRUE(Expanded(chain[kBound - 1]));
    EXPECT_FALSE(Expanded(chain[kBound]));
    view_.expand(view_.Model().IndexOf(chain[kBound]));
    EXPECT_FALSE(Expanded(chain[kBound])) << "by hand neither";
    view_.doItemsLayout();
    QFont font = view_.font();
    font.setPixelSize(font.pixelSize() > 0 ? font.pixelSize() + 3 : 20);
    view_.setFont(font);
    QCoreApplication::processEvents();
    view_.collapse(view_.Model().IndexOf(chain.front()));
    view_.Expander().Finish();
    view_.expand(view_.Model().IndexOf(chain.front()));
    QCoreApplication::processEvents();
    EXPECT_FALSE(Expanded(chain[1]));
}

TEST_F(SubtreeExpanderTest, AWideSubtreeIsExpandedWholeAndForgottenOnceCollapsed) {
    TTreeNode* root = view_.Add(nullptr, "root");
    std::vector<TTreeNode*> leaves;
    for (int i = 0; i < 3000; ++i) {
        TTreeNode* child = view_.Add(root, "c");
        for (int j = 0; j < 4; ++j) {
            leaves.push_back(view_.Add(view_.Add(child, "g"), "l"));
        }
    }
    view_.show();
    PressStarOn(root);
    view_.Expander().Finish();
    for (TTreeNode* leaf : leaves) {
        ASSERT_TRUE(Expanded(leaf->Parent()) && Expanded(leaf->Parent()->Parent()));
    }
    // Expanded again, the root shows its children alone: the view would otherwise lay out
    // every expanded row below it again, one insertion at a time.
    view_.collapse(view_.Model().IndexOf(root));
    view_.Expander().Finish();
    view_.expand(view_.Model().IndexOf(root));
    EXPECT_FALSE(Expanded(root->Item(0)));
    EXPECT_FALSE(Expanded(leaves.back()->Parent()));
    view_.Model().Clear();
    EXPECT_FALSE(view_.Expander().Pending()) << "a new tree drops the rest";
}

}  // namespace
}  // namespace zelk
