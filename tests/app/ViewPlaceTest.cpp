// Guards the tree view's place over a rebuild of the listing: after a re-sort by size or date
// and a basis change the same directories are expanded, the same one is current and the same
// row is at the top, whatever order the rows took; a record freed before the rebuild is only
// missed (the current node is then its parent), records made again below a directory (a walk
// of it again) are found by name, and a chain deeper than the view expands keeps its place.
// And what the window does while work on the shown tree is half done: for a sort or a listing
// still in steps, an open or a save still on its worker, each user action (start, open, save,
// stop, sort, a change of basis, close) leaves nothing reading freed records (the sanitizer run
// says so), shows the tree the last action asked for, lists it whole, sorts it when a sort was
// asked, and leaves no partial or temporary file. The work is held half done by not serving the
// event loop between starting it and taking the action.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "app/BackgroundReleaser.h"
#include "app/GraphPage.h"
#include "app/RecordTrees.h"
#include "app/ScanFileControl.h"
#include "app/SubtreeExpander.h"
#include "app/TRadioButton.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/TreeListing.h"
#include "app/ViewPlace.h"
#include "app/WindowFixture.h"
#include "runtime/TThread.h"
#include "scanfile/ScanFileReader.h"
#include "scanfile/ScanFileWriter.h"

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
    // The paths of the expanded records.
    std::set<std::string> Expanded() const {
        std::set<std::string> paths;
        for (int i = 0; i < Tree().Count(); ++i) {
            if (Tree().isExpanded(Tree().Model().IndexOf(Tree().Item(i)))) {
                const TFileAttr* record = RecordOf(*form_.ShownTree(), *Tree().Item(i));
                paths.insert(record != nullptr ? record->Path() : "none");
            }
        }
        return paths;
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
    EXPECT_EQ(Expanded(), (std::set<std::string>{"c:", "c:\\d3"}));
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

constexpr char kLetter = 'p';
// Enough for a sort and a listing of several steps each.
constexpr int kListSize = 20000;

// Told apart by the number of the root's children; Kept is the tree the work leaves.
enum class Tree { Shown = 3, OpenedFirst = 5, OpenedSecond = 7, Scanned = 2, None = 0, Kept };

// A root with lists of kListSize children, sizes in a scrambled order.
std::unique_ptr<TFileAttr> Lists(int lists) {
    auto root = MakeRoot(0, 0);
    for (int list = 0; list < lists; ++list) {
        TFileAttr& wide = AddRecord(*root, std::to_string(list), 0, 0);
        for (int i = 0; i < kListSize; ++i) {
            const double size = (i * 7919) % 1009;
            AddCounted(wide, std::to_string(i), size, size / (1 + i % 3));
        }
    }
    return root;
}

long Records(const TFileAttr& record) {
    long count = 1;
    for (const auto& child : record.Children) {
        count += Records(*child);
    }
    return count;
}

bool SortedBySize(const TFileAttr& record) {
    const auto size = [](const auto& child) { return child->GetSize(); };
    return std::ranges::is_sorted(record.Children, std::greater<>(), size) &&
           std::ranges::all_of(record.Children, [](const auto& c) { return SortedBySize(*c); });
}

class PendingWork : public test::WindowFixture {
  protected:
    PendingWork() : WindowFixture(kLetter) {}

    void SetUp() override {
        WindowFixture::SetUp();
        std::filesystem::create_directories(root_ + "/a");
        std::filesystem::create_directories(root_ + "/b");
        ScanFileWriter::Save(first_, *Lists(5), "/first", 0);
        ScanFileWriter::Save(second_, *Lists(7), "/second", 0);
    }

    // A file saved under name is whole: it reads back as the tree it was saved from.
    static void ExpectWholeOrAbsent(const std::string& file) {
        if (std::filesystem::exists(file)) {
            EXPECT_EQ(Records(*ScanFileReader::Read(file).Root), Records(*Lists(3))) << file;
        }
    }

    const std::string first_ = dir_ + "/first.json";
    const std::string second_ = dir_ + "/second.json.zst";
    const std::string saved_ = dir_ + "/saved.json";
    const std::string savedByAction_ = dir_ + "/again.json.gz";
};

TEST_F(PendingWork, EachActionOnHalfDoneWorkShowsTheTreeLastAskedForWithNothingFreedUnderIt) {
    TTreeView& listing = *form_->Controls().TreeView1;
    // Each work, begun, and whether it is still half done.
    const std::tuple<std::string_view, std::function<void()>, std::function<bool()>> works[] = {
        {"sort", [&] { form_->btnSortBySizeClick(); }, [&] { return form_->SortPending(); }},
        {"listing", [&] { form_->RefreshTree(); }, [&] { return listing.Model().Deferring(); }},
        {"open", [&] { form_->ScanFiles->Open(first_); },
         [&] { return form_->ScanFiles->Opening(); }},
        {"save", [&] { form_->ScanFiles->SaveTo(saved_); },
         [&] { return form_->ScanFiles->Saving(); }}};
    const std::tuple<std::string_view, std::function<void()>, Tree> actions[] = {
        {"start", [&] { form_->btnStartClick(); }, Tree::Scanned},
        {"open", [&] { form_->ScanFiles->Open(second_); }, Tree::OpenedSecond},
        {"save", [&] { form_->ScanFiles->SaveTo(savedByAction_); }, Tree::Kept},
        {"stop", [&] { form_->btnStopClick(); }, Tree::Kept},
        {"sort", [&] { form_->btnSortBySizeClick(); }, Tree::Kept},
        {"basis", [&] { form_->Controls().rbCompressedSize->click(); }, Tree::Kept},
        {"close",
         [&] {
             bool canClose = false;
             form_->FormCloseQuery(canClose);
             EXPECT_TRUE(canClose);
         },
         Tree::None}};
    for (const auto& [work, begin, halfDone] : works) {
        for (const auto& [action, take, asked] : actions) {
            SCOPED_TRACE("work " + std::string(work) + ", action " + std::string(action));
            const bool saving = work == "save";
            std::filesystem::remove(saved_);
            std::filesystem::remove(savedByAction_);
            // A finished tree of three lists, listed whole, on the file-size basis.
            form_->Controls().rbFileSize->setChecked(true);
            form_->ReplaceShownTree(Lists(3), true);
            form_->RefreshTree();
            listing.Model().FlushChanges();
            begin();
            ASSERT_TRUE(halfDone());
            take();
            ASSERT_TRUE(Settle(std::chrono::seconds(120)));
            const Tree kept = work == "open" ? Tree::OpenedFirst : Tree::Shown;
            const Tree expected = asked == Tree::Kept ? kept : asked;
            const TFileAttr* shown = form_->ShownTree();
            if (expected == Tree::None) {
                EXPECT_EQ(shown, nullptr);
                EXPECT_EQ(TThread::WorkerCount(), 0);
            } else {
                ASSERT_NE(shown, nullptr);
                EXPECT_EQ(static_cast<int>(shown->Children.size()), static_cast<int>(expected));
                EXPECT_EQ(listing.Count(), Records(*shown));
            }
            if (expected == Tree::Shown && (work == "sort" || action == "sort")) {
                EXPECT_TRUE(SortedBySize(*shown));
            }
            // A second save waits for none: it is refused while the first runs.
            EXPECT_EQ(std::filesystem::exists(savedByAction_), action == "save" && !saving);
            ExpectWholeOrAbsent(saved_);
            ExpectWholeOrAbsent(savedByAction_);
            if (saving && action != "close") {
                EXPECT_TRUE(std::filesystem::exists(saved_)) << "only a close abandons a save";
            }
            for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
                EXPECT_NE(entry.path().filename().string().rfind(".zelk-", 0), 0u) << entry.path();
            }
            EXPECT_TRUE(boxes_.empty()) << boxes_.front();
            BackgroundReleaser::Instance().AwaitIdle();
        }
    }
}

}  // namespace
}  // namespace zelk
