// Guards the tree view's place over a rebuild of the listing: after a re-sort by size or date
// and a basis change the same directories are expanded, the same one is current and the same
// row is at the top, whatever order the rows took; a record freed before the rebuild is only
// missed (the current node is then its parent), records made again below a directory (a walk
// of it again) are found by name, and a chain deeper than the view expands keeps its place.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QScrollBar>
#include <set>
#include <string>
#include <vector>

#include "app/GraphPage.h"
#include "app/RecordTrees.h"
#include "app/SubtreeExpander.h"
#include "app/TRadioButton.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/TreeListing.h"
#include "app/ViewPlace.h"
#include "app/WindowFixture.h"

namespace zelk {
namespace {

class ViewPlaceTest : public ::testing::Test {
  protected:
    ViewPlaceTest() {
        form_.resize(640, 400);
        form_.show();
    }
    TTreeView& Tree() const { return *form_.Controls().TreeView1; }
    void List() {
        form_.RefreshTree();
        Tree().Model().FlushChanges();
    }
    void Settled() {
        ASSERT_TRUE(test::PumpUntil([this] { return !form_.Place().Pending(); }));
        QCoreApplication::processEvents();
    }
    const TFileAttr* RecordAt(const QModelIndex& index) const {
        const TTreeNode* node = Tree().Model().NodeOf(index);
        return node != nullptr ? RecordOf(*form_.ShownTree(), *node) : nullptr;
    }
    // Names of the expanded records, their parents' first.
    std::set<std::string> Expanded() const {
        std::set<std::string> names;
        std::vector<TTreeNode*> open{Tree().Item(0)};
        while (!open.empty()) {
            TTreeNode* node = open.back();
            open.pop_back();
            if (Tree().isExpanded(Tree().Model().IndexOf(node))) {
                names.insert(PathText(RecordOf(*form_.ShownTree(), *node)));
                for (int i = 0; i < node->Count(); ++i) {
                    open.push_back(node->Item(i));
                }
            }
        }
        return names;
    }
    static std::string PathText(const TFileAttr* record) {
        std::string path;
        for (; record != nullptr; record = record->Parent) {
            path = record->Name.Str() + "/" + path;
        }
        return path;
    }
    QModelIndex IndexOf(const TFileAttr& record) const {
        return Tree().Model().IndexOf(NodeOf(Tree(), *form_.ShownTree(), record));
    }
    void Expand(std::initializer_list<const TFileAttr*> records) {
        for (const TFileAttr* record : records) {
            Tree().expand(IndexOf(*record));
        }
    }
    TfrmMain form_{0};
};

// Sixty directories of growing size and falling date, each with two sub-directories: sorting
// by size or date reverses their order.
std::unique_ptr<TFileAttr> Sample() {
    auto root = MakeRoot(1e6, 1e6, 1);
    for (int i = 0; i < 60; ++i) {
        TFileAttr& dir = AddRecord(*root, "d" + std::to_string(i), i + 1, 2 * (60 - i), 100 - i);
        AddRecord(dir, "x", 1, 1, 1);
        AddRecord(dir, "y", i, i, 2);
    }
    return root;
}

TEST_F(ViewPlaceTest, ResortsAndBasisChangesKeepTheExpandedTheCurrentAndTheTopRow) {
    const std::pair<const char*, void (*)(TfrmMain&)> cases[] = {
        {"date", [](TfrmMain& f) { f.btnSortByDateClick(); }},
        {"size", [](TfrmMain& f) { f.btnSortBySizeClick(); }},
        {"basis", [](TfrmMain& f) { f.Controls().rbCompressedSize->click(); }},
        {"basis back", [](TfrmMain& f) { f.Controls().rbFileSize->click(); }},
    };
    form_.ReplaceShownTree(Sample(), true);
    form_.btnSortBySizeClick();  // a key chosen, so that a basis change re-sorts
    Settled();
    TFileAttr& root = *form_.ShownTree();
    Expand({&root, root.Children[5].get(), root.Children[20].get(), root.Children[40].get()});
    const TFileAttr* current = root.Children[20]->Children[1].get();
    Tree().setCurrentIndex(IndexOf(*current));
    Tree().scrollTo(IndexOf(*root.Children[30]), QAbstractItemView::PositionAtTop);
    QCoreApplication::processEvents();
    const std::set<std::string> expanded = Expanded();
    const TFileAttr* top = RecordAt(Tree().indexAt(QPoint(0, 0)));
    ASSERT_EQ(expanded.size(), 4u);
    ASSERT_NE(top, nullptr);
    ASSERT_NE(top, &root);

    for (const auto& [what, act] : cases) {
        const TFileAttr* first = root.Children[0].get();
        act(form_);
        Settled();
        EXPECT_NE(root.Children[0].get(), first) << what << ": the same order keeps all anyway";
        EXPECT_EQ(Expanded(), expanded) << what;
        EXPECT_EQ(RecordAt(Tree().currentIndex()), current) << what;
        EXPECT_EQ(RecordAt(Tree().indexAt(QPoint(0, 0))), top) << what;
    }
}

TEST_F(ViewPlaceTest, ARecordFreedBeforeTheRebuildIsMissedAndItsParentBecomesCurrent) {
    form_.ReplaceShownTree(Sample(), true);
    List();
    TFileAttr& root = *form_.ShownTree();
    TFileAttr& parent = *root.Children[3];
    Expand({&root, &parent, root.Children[4].get()});
    Tree().setCurrentIndex(IndexOf(*parent.Children[1]));
    form_.Place().Capture(root);
    form_.Graph().TreeDropping();                    // the graph holds the current record too
    parent.Children.pop_back();                      // freed: only compared, never read (ASan)
    root.Children.erase(root.Children.begin() + 4);  // an expanded one, freed with its own
    form_.RefreshTree();
    Settled();
    EXPECT_EQ(RecordAt(Tree().currentIndex()), &parent);
    EXPECT_EQ(Expanded(), (std::set<std::string>{"\\/", "\\/d3/"}));
}

TEST_F(ViewPlaceTest, RecordsMadeAgainBelowADirectoryAreFoundByTheirNames) {
    form_.ReplaceShownTree(Sample(), true);
    TFileAttr& root = *form_.ShownTree();
    AddRecord(*root.Children[4]->Children[1], "g", 1, 1);
    List();
    Expand({&root, root.Children[4].get(), root.Children[4]->Children[1].get()});
    Tree().setCurrentIndex(IndexOf(*root.Children[4]->Children[1]->Children[0]));
    const std::set<std::string> expanded = Expanded();
    form_.Place().Capture(root);
    form_.Graph().TreeDropping();
    // Walked again: d4 keeps its record, everything below it is new.
    TFileAttr& again = *root.Children[4];
    again.Children.clear();
    AddRecord(again, "x", 1, 1);
    AddRecord(AddRecord(again, "y", 4, 4), "g", 1, 1);
    form_.RefreshTree();
    Settled();
    EXPECT_EQ(Expanded(), expanded);
    EXPECT_EQ(RecordAt(Tree().currentIndex()), again.Children[1]->Children[0].get());
}

TEST_F(ViewPlaceTest, AChainDeeperThanTheViewExpandsKeepsItsPlace) {
    constexpr int kLevels = 5000;
    auto root = MakeRoot(1, 1);
    TFileAttr* deepest = root.get();
    for (int i = 0; i < kLevels; ++i) {
        deepest = &AddRecord(*deepest, "n", 1, 1);
    }
    AddRecord(*root, "other", 0, 0);
    form_.ReplaceShownTree(std::move(root), true);
    List();
    Tree().Expander().ExpandAll(Tree().Item(0));
    Tree().Expander().Finish();
    Tree().setAutoScroll(false);  // deeper than the view expands: made current as it stands
    Tree().setCurrentIndex(IndexOf(*deepest));
    Tree().setAutoScroll(true);
    const std::set<std::string> expanded = Expanded();
    ASSERT_GE(expanded.size(), static_cast<std::size_t>(SubtreeExpander::kMaxExpandedDepth));

    form_.btnSortBySizeClick();
    Settled();
    EXPECT_EQ(RecordAt(Tree().currentIndex()), deepest);
    EXPECT_EQ(Expanded(), expanded);
    EXPECT_EQ(form_.ShownTree()->Children.back()->Name.Str(), "other");
}

}  // namespace
}  // namespace zelk
